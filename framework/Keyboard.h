#pragma once

namespace fw {

// Whether the key is down at this moment. Option is the Alt key on Linux, so both ask for Alt.
bool AsyncOptionKey();
bool AsyncAltKey();

}  // namespace fw
