// Any bytes as buttons.json: the reader either refuses them with a reason
// or gives an assignment in which every binding is in range, no player and
// no button is bound twice, and which the writer puts into bytes that read
// back to the same assignment.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QByteArray>
#include <QString>

#include "buttons/buttonassignment.h"

namespace {

void check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "button assignment: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using buttons::ButtonAssignment;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    const auto read = ButtonAssignment::fromJson(bytes, &error);
    if (!read) {
        check(!error.isEmpty(), "refused without a reason");
        return 0;
    }
    const auto& bindings = read->bindings();
    for (std::size_t i = 0; i < bindings.size(); ++i) {
        const buttons::Binding& b = bindings[i];
        check(b.player >= 0 && b.player <= 15, "player out of range");
        check(b.code >= 0 && b.code <= 0x2ff, "key code out of range");
        for (std::size_t j = i + 1; j < bindings.size(); ++j) {
            check(bindings[j].player != b.player, "a player bound twice");
            check(!(bindings[j].code == b.code && bindings[j].device == b.device),
                  "a button bound twice");
        }
    }
    const auto again = ButtonAssignment::fromJson(read->toJson(), &error);
    check(again.has_value(), "written assignment refused");
    check(again->bindings().size() == bindings.size(), "bindings lost on the way back");
    for (std::size_t i = 0; i < bindings.size(); ++i) {
        const buttons::Binding& a = bindings[i];
        const buttons::Binding& b = again->bindings()[i];
        check(a.device == b.device && a.deviceName == b.deviceName && a.code == b.code &&
                  a.player == b.player,
              "binding changed on the way back");
    }
    return 0;
}
