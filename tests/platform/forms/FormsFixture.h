// The shared fixture of the window tests: one offscreen application per test executable, a
// temporary data folder, scripted dialog answers, and helpers that drive controls by name through
// real Qt events.
#pragma once
#include <gtest/gtest.h>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <deque>
#include <string>
#include "platform/classes/ComponentRes.h"
#include "platform/forms/DialogService.h"
#include "platform/forms/Forms.h"

namespace orv::test {

// Answers dialogs from a script and keeps what was asked.
class TScriptedDialogs : public IDialogService {
 public:
  struct TAsked {
    AnsiString Text, Caption;
    Cardinal Flags = 0;
  };
  std::deque<int> Answers;
  std::vector<TAsked> Asked;
  std::deque<std::vector<AnsiString>> FileAnswers;
  std::vector<TFileRequest> FileRequests;

  int MessageBox(const AnsiString& text, const AnsiString& caption, Cardinal flags) override {
    Asked.push_back({text, caption, flags});
    if (Answers.empty()) return IDCANCEL;
    const int answer = Answers.front();
    Answers.pop_front();
    return answer;
  }
  bool ChooseFiles(const TFileRequest& request, std::vector<AnsiString>& files) override {
    FileRequests.push_back(request);
    if (FileAnswers.empty()) return false;
    files = FileAnswers.front();
    FileAnswers.pop_front();
    return !files.empty();
  }
  bool ChooseColor(TColor&) override { return false; }
  bool ChooseFont(TFontChoice&) override { return false; }
};

// The top-left-most pixel of a colour (-1, -1 when there is none), a frame of that width left out.
inline QPoint FindColour(const QImage& image, const QColor& colour, int frame = 0) {
  for (int y = frame; y < image.height() - frame; ++y)
    for (int x = frame; x < image.width() - frame; ++x)
      if (image.pixelColor(x, y) == colour) return QPoint(x, y);
  return QPoint(-1, -1);
}

// How many pixels of the image have the colour.
inline int CountPixels(const QImage& image, const QColor& colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += image.pixelColor(x, y) == colour ? 1 : 0;
  return n;
}

class FormsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    Application->Initialize();
  }

  void SetUp() override {
    char pattern[] = "/tmp/orv_forms_XXXXXX";
    const char* dir = mkdtemp(pattern);
    ASSERT_NE(dir, nullptr);
    FDataDir = std::string(dir) + "/";
    qputenv("XDG_DATA_HOME", FDataDir.c_str());
    SetDialogService(&Dialogs);
  }

  void TearDown() override {
    SetDialogService(nullptr);
    for (auto* f : FForms) f->Free();
    FForms.clear();
    Application->ProcessMessages();
    std::string cmd = "rm -rf '" + FDataDir + "'";
    (void)!system(cmd.c_str());
  }

  // Reads description into a new form of class T (registered by the test), owned by nobody and
  // freed after the test.
  template <class T>
  T* MakeForm(const char* className, const char* description) {
    RegisterComponentResource(className, description);
    T* form = TCustomForm::Create<T>(nullptr);
    FForms.push_back(form);
    return form;
  }

  // Where a point of a control's client area (windowed or not) lies in its top-level window.
  static QPoint InWindow(TControl* control, QPoint local) {
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
      QWidget* w = windowed->Widget();
      return w->mapTo(w->window(), local);
    }
    QWidget* parent = control->Parent()->Widget();
    return parent->mapTo(parent->window(), local + QPoint(control->Left(), control->Top()));
  }

  template <class T>
  static T* Find(TComponent* root, const char* name) {
    auto* c = dynamic_cast<T*>(root->FindComponent(name));
    EXPECT_NE(c, nullptr) << "no " << name;
    return c;
  }

  static void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                    Qt::KeyboardModifiers mods = Qt::NoModifier) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, mods);
    QApplication::sendEvent(w, &e);
  }

  static void Click(QWidget* w, QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Mouse(w, QEvent::MouseButtonPress, at, Qt::LeftButton, mods);
    Mouse(w, QEvent::MouseButtonRelease, at, Qt::LeftButton, mods);
  }

  static void Key(QWidget* w, int key, const QString& text = QString(), Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(w, &release);
  }

  // Types the characters (Latin-1) into the widget as the keyboard does: letters by their key,
  // every other character as a key of its own code.
  static void TypeKeys(QWidget* w, const std::string& keys) {
    for (char c : keys) {
      const int key = c >= 'a' && c <= 'z' ? Qt::Key_A + (c - 'a') : c >= 'A' && c <= 'Z' ? Qt::Key_A + (c - 'A') : c;
      Key(w, key, QString(QChar(static_cast<char16_t>(static_cast<unsigned char>(c)))));
    }
  }

  TScriptedDialogs Dialogs;
  std::string FDataDir;
  std::vector<TCustomForm*> FForms;
};

}  // namespace orv::test
