// Points every place the platform keeps state (state folder, shared air, the
// user's configuration folder) at a temporary folder of this test process, so
// tests never touch the user's own state and never hear another process's
// wireless networks.
#pragma once

namespace testkit {

void isolateTestProcess();

}  // namespace testkit
