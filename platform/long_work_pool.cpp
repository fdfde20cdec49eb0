#include "platform/long_work_pool.h"

#include <QThreadPool>

namespace lynx {

QThreadPool& LongWorkPool() {
  static QThreadPool* pool = [] {
    auto* p = new QThreadPool;  // kept to the end of the run: work may still run at exit
    p->setMaxThreadCount(2);
    return p;
  }();
  return *pool;
}

}  // namespace lynx
