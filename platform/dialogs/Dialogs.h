#pragma once

// Message boxes and the version-choice dialog. Code asks through the front doors of one Dialogs
// object the program makes at start; what shows them is a dialog service: the SDL one on a
// desktop, or the headless one that takes its answers from a queue the test driver fills. All
// texts are code page 1250 bytes.

#include "platform/canvas/Canvas.h"
#include "platform/types/Geometry.h"

#include <deque>
#include <string>
#include <vector>

namespace platform {

enum class MessageBoxKind : uint8_t {
    Error,    // one OK button, stop icon
    Question, // Yes and No
    Plain,    // one OK button, no icon
};

struct MessageBoxRequest {
    MessageBoxKind kind = MessageBoxKind::Plain;
    std::string caption;
    std::string text;
};

// Where everything of the choice dialog goes, in client pixels, from its font.
struct ChoiceDialogGeometry {
    int charWidth = 0;  // average of A..Z and a..z
    int unitHeight = 0; // their text height
    int horizontalMargin = 0;
    int verticalMargin = 0;
    int gap = 0; // between the text and the buttons
    int buttonWidth = 0;
    int buttonHeight = 0;
    int buttonSpacing = 0;
    TRect message; // the word-wrapping label "Message"
    std::vector<TRect> buttons;
    TSize client;
    TPoint position; // top-left on the screen, centred
};

struct ChoiceDialogRequest {
    std::string caption;
    std::string question;
    std::vector<std::string> labels;
    CanvasFont font;
    ChoiceDialogGeometry geometry;
};

// Modal results of the choice dialog: button n (from 0) gives ChoiceResultBase + n; closing it
// without a button gives mrCancel (2).
constexpr int ChoiceResultBase = 11;

class IDialogService {
public:
    virtual ~IDialogService() = default;
    // mrOk (1), mrYes (6) or mrNo (7).
    virtual int ShowMessageBox(const MessageBoxRequest& request) = 0;
    virtual int ShowChoiceDialog(const ChoiceDialogRequest& request) = 0;
};

// The font the choice dialog is measured and drawn with.
CanvasFont ChoiceDialogFont();
// The layout of the choice dialog from measurements of its font, as the framework's message
// dialog lays itself out. screen: the screen's size.
ChoiceDialogGeometry ComputeChoiceGeometry(const std::string& question, size_t buttonCount, TCanvas& measure, TSize screen);
// MulDiv: a * b / c rounded half away from zero.
int MulDiv(int a, int b, int c);

// A box's text broken into lines of at most `width` characters at blanks, as the system's own
// boxes wrap it; existing line breaks stay, and a word longer than a line stands alone.
std::string WrapBoxText(const std::string& text, size_t width);

// Answers for the headless service, in the order the boxes come.
struct DialogAnswer {
    enum class Kind : uint8_t { Ok,
        Yes,
        No,
        Button };
    Kind kind = Kind::Ok;
    int button = 0; // Button: from 0
};

struct ShownDialog {
    bool choice = false;
    MessageBoxKind kind = MessageBoxKind::Plain;
    std::string caption;
    std::string text;
    std::vector<std::string> labels;
    int result = 0;
};

// Takes each box's answer from the queue. A box without an answer, or with an answer it has no
// button for, records a failure naming the box's text (the test driver stops on it) and
// answers as closing the box would (OK, No, no button).
class HeadlessDialogs : public IDialogService {
public:
    void PushAnswer(DialogAnswer answer) { m_answers.push_back(answer); }
    size_t PendingAnswers() const { return m_answers.size(); }
    const std::vector<ShownDialog>& Shown() const { return m_shown; }
    const std::string& Failure() const { return m_failure; }
    void ClearFailure() { m_failure.clear(); }

    int ShowMessageBox(const MessageBoxRequest& request) override;
    int ShowChoiceDialog(const ChoiceDialogRequest& request) override;

private:
    void Fail(const std::string& message);
    std::deque<DialogAnswer> m_answers;
    std::vector<ShownDialog> m_shown;
    std::string m_failure;
};

// The one channel every box goes through. The service behind it is chosen by the host once it
// knows the run (the desktop one comes with the first window); without one, boxes go to a
// headless service that has no answers.
class Dialogs {
public:
    Dialogs() = default;
    explicit Dialogs(IDialogService& service)
        : m_service(&service)
    {
    }
    Dialogs(const Dialogs&) = delete;
    Dialogs& operator=(const Dialogs&) = delete;

    // nullptr goes back to the headless service without answers.
    void SetService(IDialogService* service) { m_service = service; }
    IDialogService& Service() { return m_service ? *m_service : m_unanswered; }

    // Front doors. The caption is the application's title.
    void ShowError(const std::string& text);
    bool AskYesNo(const std::string& text);
    void ShowPlain(const std::string& text);
    // The chosen label's index, or -1 when the dialog was closed without a button.
    int Choose(const std::string& question, const std::vector<std::string>& labels);

private:
    int ShowBox(MessageBoxKind kind, const std::string& text);

    IDialogService* m_service = nullptr;
    HeadlessDialogs m_unanswered;
};

// Application errors that escape a handler appear in an error box, as the framework's default.
void InstallErrorBoxExceptionHandler(Dialogs& dialogs);

}
