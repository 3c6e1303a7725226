// The Qt side of a windowed control: a widget that hands every event to its control first, and
// runs Qt's own handling only when the control's default window procedure gives the event back.
#pragma once
#include <QEvent>
#include <QWidget>

namespace orv {

// The control a host widget reports to. WidgetEvent returns true when the event was turned into a
// message (the default window procedure then ran Qt's own handling, or chose not to).
class TWidgetSink {
 public:
  virtual ~TWidgetSink() = default;
  virtual bool WidgetEvent(QEvent* event) = 0;
};

// What a control needs of its widget, whatever Qt class it is.
class IHostWidget {
 public:
  virtual ~IHostWidget() = default;
  virtual QWidget* Widget() = 0;
  // Qt's own handling of the event, bypassing the sink.
  virtual bool BaseEvent(QEvent* event) = 0;
  // Detaches the widget from its control (the control is going away first).
  virtual void SetSink(TWidgetSink* sink) = 0;
};

template <class Base>
class THostWidget : public Base, public IHostWidget {
 public:
  template <class... Args>
  explicit THostWidget(TWidgetSink* sink, Args&&... args)
      : Base(std::forward<Args>(args)...), FSink(sink) {}
  QWidget* Widget() override { return this; }
  bool BaseEvent(QEvent* event) override { return Base::event(event); }
  void SetSink(TWidgetSink* sink) override { FSink = sink; }

 protected:
  bool event(QEvent* event) override {
    if (FSink != nullptr && FSink->WidgetEvent(event)) return true;
    return Base::event(event);
  }

 private:
  TWidgetSink* FSink;
};

}  // namespace orv
