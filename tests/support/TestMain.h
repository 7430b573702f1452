#pragma once

namespace fw {
class Runtime;
}

// The runtime that the test program's main makes for the whole run.
const fw::Runtime& TestProgramRuntime();
