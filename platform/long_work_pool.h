#pragma once
// The threads for a window's work of seconds (the risk figures of a game,
// where a session stands): never Qt's global pool, whose threads Qt's own
// painting of large pictures waits for, so that a long sum never freezes a
// window. Tasks of milliseconds may keep using the global pool.

class QThreadPool;

namespace lynx {

// One pool for the run, two threads; made on first use.
QThreadPool& LongWorkPool();

}  // namespace lynx
