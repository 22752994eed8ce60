#pragma once

#include <QByteArray>

namespace live {

// The live page: one file with its style and script inside, built into the
// program.
QByteArray pageHtml();

}  // namespace live
