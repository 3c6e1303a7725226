// The process's error mode, one value for every thread.
#include "platform/win/ErrorMode.h"

#include <atomic>

namespace orv {
namespace {
std::atomic<UINT> gErrorMode{0};
}  // namespace

UINT SetErrorMode(UINT mode) { return gErrorMode.exchange(mode); }
UINT GetErrorMode() { return gErrorMode.load(); }

}  // namespace orv
