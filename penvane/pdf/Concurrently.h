#pragma once
// Runs independent jobs on the machine's cores: the digests of a document's
// signatures, each over most of the file, cost as much as the rest of a
// verification together.
#include <cstddef>
#include <functional>

namespace penvane {

// Calls job(0) ... job(count - 1), several at once on threads of their own
// (at most one per core), and returns when all are done. A job must not
// throw: each keeps its own outcome. With one job, or one core, they run
// here in order.
void ForEachConcurrently(size_t count, const std::function<void(size_t)>& job);

}  // namespace penvane
