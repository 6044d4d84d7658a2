#include "platform/dialogs/Dialogs.h"

#include "platform/components/Forms.h"
#include "platform/text/Codepage.h"

#include <algorithm>
#include <cstdlib>

namespace platform {

int Dialogs::ShowBox(MessageBoxKind kind, const std::string& text)
{
    return Service().ShowMessageBox({ kind, Application().Title(), text });
}

void Dialogs::ShowError(const std::string& text)
{
    ShowBox(MessageBoxKind::Error, text);
}

bool Dialogs::AskYesNo(const std::string& text)
{
    return ShowBox(MessageBoxKind::Question, text) == mrYes;
}

void Dialogs::ShowPlain(const std::string& text)
{
    ShowBox(MessageBoxKind::Plain, text);
}

CanvasFont ChoiceDialogFont()
{
    CanvasFont font;
    font.Name = "MS Sans Serif";
    font.Height = -11;
    font.Charset = EASTEUROPE_CHARSET;
    font.Color = 0;
    return font;
}

int Dialogs::Choose(const std::string& question, const std::vector<std::string>& labels)
{
    ChoiceDialogRequest request;
    request.caption = Application().Title();
    request.question = question;
    request.labels = labels;
    request.font = ChoiceDialogFont();
    TCanvas measure;
    measure.Font = request.font;
    TSize screen { 1024, 768 };
    if (TForm* main = Application().MainForm())
        screen = main->ScreenSize();
    request.geometry = ComputeChoiceGeometry(question, labels.size(), measure, screen);
    int result = Service().ShowChoiceDialog(request);
    int index = result - ChoiceResultBase;
    return index >= 0 && index < static_cast<int>(labels.size()) ? index : -1;
}

std::string WrapBoxText(const std::string& text, size_t width)
{
    std::string out;
    size_t lineStart = 0; // where the current output line begins
    size_t lastBlank = std::string::npos;
    for (char c : text) {
        if (c == '\n') {
            out += c;
            lineStart = out.size();
            lastBlank = std::string::npos;
            continue;
        }
        out += c;
        if (c == ' ')
            lastBlank = out.size() - 1;
        if (out.size() - lineStart > width && lastBlank != std::string::npos && lastBlank >= lineStart) {
            out[lastBlank] = '\n';
            lineStart = lastBlank + 1;
            lastBlank = std::string::npos;
        }
    }
    return out;
}

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    int64_t n = int64_t(a) * b;
    int64_t q = (std::llabs(n) + std::llabs(int64_t(c)) / 2) / std::llabs(int64_t(c));
    return static_cast<int>((n < 0) != (c < 0) ? -q : q);
}

ChoiceDialogGeometry ComputeChoiceGeometry(const std::string& question, size_t buttonCount, TCanvas& measure, TSize screen)
{
    static const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    ChoiceDialogGeometry g;
    TSize extent = measure.TextExtent(letters);
    g.charWidth = extent.cx / 52;
    g.unitHeight = extent.cy;
    g.horizontalMargin = MulDiv(8, g.charWidth, 4);
    g.verticalMargin = MulDiv(8, g.unitHeight, 8);
    g.gap = MulDiv(10, g.unitHeight, 8);
    g.buttonWidth = MulDiv(50, g.charWidth, 4);
    g.buttonHeight = MulDiv(14, g.unitHeight, 8);
    g.buttonSpacing = MulDiv(4, g.charWidth, 4);

    TRect text { 0, 0, screen.cx / 2, 0 };
    measure.DrawText(question, text, DT_CALCRECT | DT_WORDBREAK);
    g.message = Bounds(g.horizontalMargin, g.verticalMargin, text.Width(), text.Height());

    int count = static_cast<int>(buttonCount);
    int rowWidth = count > 0 ? count * g.buttonWidth + (count - 1) * g.buttonSpacing : 0;
    g.client.cx = std::max(text.Width(), rowWidth) + 2 * g.horizontalMargin;
    g.client.cy = text.Height() + g.gap + g.buttonHeight + 2 * g.verticalMargin;
    g.position = { (screen.cx - g.client.cx) / 2, (screen.cy - g.client.cy) / 2 };

    int x = (g.client.cx - rowWidth) / 2;
    int y = text.Height() + g.verticalMargin + g.gap;
    for (int i = 0; i < count; ++i) {
        g.buttons.push_back(Bounds(x, y, g.buttonWidth, g.buttonHeight));
        x += g.buttonWidth + g.buttonSpacing;
    }
    return g;
}

void InstallErrorBoxExceptionHandler(Dialogs& dialogs)
{
    Application().SetExceptionHandler([&dialogs](const std::exception& error) { dialogs.ShowError(error.what()); });
}

// ---- headless -------------------------------------------------------------------------------

void HeadlessDialogs::Fail(const std::string& message)
{
    if (m_failure.empty())
        m_failure = message;
}

static const char* KindWord(MessageBoxKind kind)
{
    switch (kind) {
    case MessageBoxKind::Error:
        return "error box";
    case MessageBoxKind::Question:
        return "question";
    case MessageBoxKind::Plain:
        return "message box";
    }
    return "box";
}

int HeadlessDialogs::ShowMessageBox(const MessageBoxRequest& request)
{
    bool question = request.kind == MessageBoxKind::Question;
    int closed = question ? mrNo : mrOk;
    int result = closed;
    std::string what = std::string(KindWord(request.kind)) + " \"" + Cp1250ToUtf8(request.text) + "\"";
    if (m_answers.empty()) {
        Fail("unanswered " + what);
    } else {
        DialogAnswer answer = m_answers.front();
        m_answers.pop_front();
        if (question && answer.kind == DialogAnswer::Kind::Yes)
            result = mrYes;
        else if (question && answer.kind == DialogAnswer::Kind::No)
            result = mrNo;
        else if (!question && answer.kind == DialogAnswer::Kind::Ok)
            result = mrOk;
        else
            Fail(std::string("answer does not fit the ") + what + (question ? " (yes or no)" : " (ok)"));
    }
    m_shown.push_back({ false, request.kind, request.caption, request.text, {}, result });
    return result;
}

int HeadlessDialogs::ShowChoiceDialog(const ChoiceDialogRequest& request)
{
    int result = mrCancel;
    std::string what = "choice dialog \"" + Cp1250ToUtf8(request.question) + "\"";
    if (m_answers.empty()) {
        Fail("unanswered " + what);
    } else {
        DialogAnswer answer = m_answers.front();
        m_answers.pop_front();
        if (answer.kind == DialogAnswer::Kind::Button && answer.button >= 0 && answer.button < static_cast<int>(request.labels.size()))
            result = ChoiceResultBase + answer.button;
        else
            Fail("answer does not fit the " + what + " (a button number from 0 to " + std::to_string(static_cast<int>(request.labels.size()) - 1) + ")");
    }
    m_shown.push_back({ true, MessageBoxKind::Plain, request.caption, request.question, request.labels, result });
    return result;
}

}
