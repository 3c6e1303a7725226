// The Qt side of the posted-message queue: one posted event drains it, and only while it has work.
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include "platform/win/Immortal.h"
#include "platform/win/QueueInternal.h"

namespace orv::winimpl {

namespace {

const QEvent::Type DrainEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

class TQueueDrainer : public QObject {
 public:
  using QObject::QObject;
  bool Scheduled = false;

 protected:
  void customEvent(QEvent* event) override {
    if (event->type() != DrainEventType) return;
    Scheduled = false;
    DrainFromEventLoop();
  }
};

// Owned by the application object, so it goes with it; a later application gets a new one.
QPointer<TQueueDrainer>& Drainer() {
  static TImmortal<QPointer<TQueueDrainer>> drainer;
  return drainer.Get();
}

}  // namespace

void ScheduleDrain() {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return;
  auto& drainer = Drainer();
  if (drainer.isNull()) drainer = new TQueueDrainer(app);
  if (drainer->Scheduled) return;
  drainer->Scheduled = true;
  QCoreApplication::postEvent(drainer.data(), new QEvent(DrainEventType));
}

bool WaitForEvents() {
  if (QCoreApplication::instance() == nullptr) return false;
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  return true;
}

void ExitEventLoop(int exitCode) {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::exit(exitCode);
}

void ProcessQtEvents() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
}

}  // namespace orv::winimpl
