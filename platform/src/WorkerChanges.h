// The writes worker threads make into a folder a request to stop removes, shared by the
// POSIX and Windows handlers of that request.
#pragma once

namespace vxp {

// Waits for the workers' writes in progress and lets none begin after: from a handler.
void StopWorkerChanges();

}  // namespace vxp
