#include "menu/matchbox.h"

#include "app/numbers.h"

namespace matchbox {

bool readsAsZero(const QString& text) {
    return numbers::leadingNumber(text) == 0 && numbers::leadingNumber(text.right(2)) == 0;
}

bool hasMinutes(const QString& text) { return numbers::leadingNumber(text) != 0; }

}  // namespace matchbox
