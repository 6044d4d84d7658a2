#include "platform/script/ScriptRunner.h"

#include "platform/events/Chance.h"
#include "platform/events/TerminationSignals.h"
#include "platform/picture/Picture.h"
#include "platform/process/Process.h"
#include "platform/text/Codepage.h"
#include "platform/text/Text.h"

#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>

namespace platform {

namespace {

std::vector<std::string> SplitWords(std::string_view line)
{
    std::vector<std::string> words;
    std::istringstream in { std::string(line) };
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}

// The text after the first `count` words of the line.
std::string_view RestAfterWords(std::string_view line, size_t count)
{
    size_t pos = 0;
    for (size_t i = 0; i < count; ++i) {
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
            ++pos;
        while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t')
            ++pos;
    }
    return TrimBlanks(line.substr(pos));
}

[[noreturn]] void Fail(const std::string& message)
{
    throw Exception(message);
}

int ParseInt(const std::string& word, const char* what)
{
    auto n = ParseNumber(word);
    if (!n)
        Fail(std::string("expected ") + what + ", found \"" + word + "\"");
    return *n;
}

struct NamedKey {
    const char* name;
    uint16_t code;
};

constexpr NamedKey NamedKeys[] = {
    { "Down", VK_DOWN },
    { "Up", VK_UP },
    { "Left", VK_LEFT },
    { "Right", VK_RIGHT },
    { "PageUp", VK_PRIOR },
    { "PageDown", VK_NEXT },
    { "Home", VK_HOME },
    { "End", VK_END },
    { "Enter", VK_RETURN },
    { "Return", VK_RETURN },
    { "Escape", VK_ESCAPE },
    { "Space", VK_SPACE },
    { "Tab", VK_TAB },
    { "Back", VK_BACK },
    { "Backspace", VK_BACK },
    { "Delete", VK_DELETE },
    { "Insert", VK_INSERT },
};

}

uint16_t ScriptKeyCode(std::string_view name)
{
    for (const NamedKey& k : NamedKeys) {
        if (EqualsNoCase(k.name, name))
            return k.code;
    }
    if (name.size() == 1) {
        char c = UpperChar(name[0]);
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            return static_cast<uint16_t>(c);
    }
    if (name.size() >= 2 && (name[0] == 'F' || name[0] == 'f')) {
        auto n = ParseNumber(name.substr(1));
        if (n && *n >= 1 && *n <= 12)
            return static_cast<uint16_t>(VK_F1 + *n - 1);
    }
    return 0;
}

ScriptRunner::ScriptRunner(TForm& form, EventLoop& loop, HeadlessDialogs& dialogs, std::ostream& out, IProcessService* programs)
    : m_form(form), m_loop(loop), m_dialogs(dialogs), m_out(out), m_programs(programs)
{
}

int ScriptRunner::Run(std::string_view script, const std::string& sourceName, std::ostream& err)
{
    int lineNumber = 0;
    for (std::string_view line : SplitLines(script)) {
        // A signal asked the program to end: the rest of the script is not run.
        if (m_quit || TerminationRequested())
            break;
        ++lineNumber;
        try {
            RunLine(line);
        } catch (const std::exception& e) {
            err << sourceName << ":" << lineNumber << ": " << e.what() << "\n";
            return 1;
        }
    }
    return 0;
}

// A program that shows one main form after another (the shelf, then a disc's menu) is driven on
// the one shown now.
TForm& ScriptRunner::Target() const
{
    TForm* main = Application().MainForm();
    return main ? *main : m_form;
}

TComponent& ScriptRunner::Component(const std::string& name) const
{
    TForm& form = Target();
    if (EqualsNoCase(name, form.Name()))
        return form;
    // The form the run began with stays addressable by its name while another one is shown.
    if (EqualsNoCase(name, m_form.Name()))
        return m_form;
    TComponent* c = form.FindComponent(name);
    if (!c)
        Fail("no component named " + name);
    return *c;
}

TControl& ScriptRunner::Control(const std::string& name) const
{
    auto* control = dynamic_cast<TControl*>(&Component(name));
    if (!control)
        Fail(name + " is not a control");
    if (control != &Target() && !control->Showing())
        Fail(name + " is not visible");
    return *control;
}

// NAME [X Y]: the point of the control in form coordinates.
TPoint ScriptRunner::PointOf(const std::vector<std::string>& words, size_t& next)
{
    if (words.size() < 2)
        Fail("expected a component name");
    TControl& control = Control(words[1]);
    next = 2;
    TPoint local { control.ClientWidth() / 2, control.ClientHeight() / 2 };
    if (words.size() >= 4 && ParseNumber(words[2]) && ParseNumber(words[3])) {
        local = { ParseInt(words[2], "X"), ParseInt(words[3], "Y") };
        next = 4;
    }
    return control.ClientToForm(local);
}

void ScriptRunner::PostMouse(EventType type, TPoint formPoint, TMouseButton button)
{
    Event e;
    e.type = type;
    e.target = &Target();
    e.x = formPoint.X;
    e.y = formPoint.Y;
    e.button = button;
    TShiftState flag = button == TMouseButton::mbRight ? ssRight : button == TMouseButton::mbMiddle ? ssMiddle
                                                                                                    : ssLeft;
    if (type == EventType::MouseDown)
        m_buttons |= flag;
    e.shift = m_buttons;
    if (type == EventType::MouseUp)
        m_buttons &= static_cast<TShiftState>(~flag);
    m_pointer = formPoint;
    m_loop.Post(e);
}

void ScriptRunner::Pump()
{
    m_loop.ProcessMessages();
    if (!m_dialogs.Failure().empty()) {
        std::string failure = m_dialogs.Failure();
        m_dialogs.ClearFailure();
        Fail(failure);
    }
}

std::string ScriptRunner::ValueOf(const std::string& path) const
{
    size_t dot = path.find('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == path.size())
        Fail("expected NAME.Property, found \"" + path + "\"");
    TPersistent* object = &Component(path.substr(0, dot));
    std::string property = path.substr(dot + 1);
    const PropertyInfo* info = ResolveProperty(object, property);
    if (!info)
        Fail(path.substr(0, dot) + " has no property " + property);
    PropertyValue value = GetPropertyValue(*object, info->name);
    if (info->kind == PropertyKind::Component && info->getComponent) {
        TComponent* c = info->getComponent(*object);
        return c ? c->Name() : "nil";
    }
    return Cp1250ToUtf8(PropertyValueText(*info, value));
}

void ScriptRunner::Screenshot(const std::string& file) const
{
    const TForm& form = Target();
    const PixelView surface = ScreenshotPicture(form.Window(), form.Surface());
    if (surface.IsEmpty())
        Fail("the form has no picture to save");
    try {
        WriteSurfacePng(surface, file);
    } catch (const std::exception& e) {
        Fail("cannot write " + file + ": " + e.what());
    }
}

void WriteSurfacePng(const PixelView& surface, const std::filesystem::path& file)
{
    Picture picture;
    picture.width = surface.width;
    picture.height = surface.height;
    picture.pixels.resize(static_cast<size_t>(surface.width) * surface.height);
    for (int y = 0; y < surface.height; ++y)
        for (int x = 0; x < surface.width; ++x)
            picture.pixels[static_cast<size_t>(y) * surface.width + x] = surface.At(x, y) | 0xFF000000u;
    WritePictureFile(file, EncodePng(picture, false));
}

void ScriptRunner::RunLine(std::string_view rawLine)
{
    std::string_view line = TrimBlanks(rawLine);
    if (line.empty() || line[0] == '#')
        return;
    std::vector<std::string> words = SplitWords(line);
    const std::string command = UpperCase(words[0]);
    auto button = [&](size_t next) {
        if (words.size() > next + 1)
            Fail("unexpected \"" + words[next + 1] + "\"");
        if (words.size() == next + 1) {
            if (!EqualsNoCase(words[next], "right"))
                Fail("expected right or the end of the line, found \"" + words[next] + "\"");
            return TMouseButton::mbRight;
        }
        return TMouseButton::mbLeft;
    };

    if (command == "MOVE") {
        size_t next;
        TPoint p = PointOf(words, next);
        if (words.size() > next)
            Fail("unexpected \"" + words[next] + "\"");
        PostMouse(EventType::MouseMove, p, TMouseButton::mbLeft);
        Pump();
    } else if (command == "CLICK" || command == "MOUSEDOWN" || command == "MOUSEUP") {
        size_t next;
        TPoint p = PointOf(words, next);
        TMouseButton b = button(next);
        PostMouse(EventType::MouseMove, p, b);
        Pump();
        if (command != "MOUSEUP") {
            PostMouse(EventType::MouseDown, p, b);
            Pump();
        }
        if (command != "MOUSEDOWN") {
            PostMouse(EventType::MouseUp, p, b);
            Pump();
        }
    } else if (command == "KEY") {
        if (words.size() != 2)
            Fail("expected one key name");
        std::string_view name = words[1];
        constexpr std::string_view shiftPrefix = "Shift+";
        const bool shifted = name.size() > shiftPrefix.size() && EqualsNoCase(name.substr(0, shiftPrefix.size()), shiftPrefix);
        if (shifted)
            name.remove_prefix(shiftPrefix.size());
        uint16_t code = ScriptKeyCode(name);
        if (code == 0)
            Fail("unknown key \"" + words[1] + "\"");
        Event e;
        e.target = &Target();
        e.key = code;
        e.shift = shifted ? ssShift : 0;
        e.type = EventType::KeyDown;
        m_loop.Post(e);
        if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9') || code == VK_SPACE || code == VK_RETURN) {
            Event ch = e;
            ch.type = EventType::KeyChar;
            ch.ch = static_cast<char>(code >= 'A' && code <= 'Z' ? code - 'A' + 'a' : code);
            m_loop.Post(ch);
        }
        e.type = EventType::KeyUp;
        m_loop.Post(e);
        Pump();
    } else if (command == "TYPE") {
        // Text as a keyboard's text input gives it, one character of code page 1250 at a time.
        std::string text = Utf8ToCp1250(RestAfterWords(line, 1));
        if (text.empty())
            Fail("expected type TEXT");
        for (char c : text) {
            Event ch;
            ch.type = EventType::KeyChar;
            ch.target = &Target();
            ch.ch = c;
            m_loop.Post(ch);
        }
        Pump();
    } else if (command == "WHEEL") {
        if (words.size() < 2 || words.size() > 3 || (!EqualsNoCase(words[1], "up") && !EqualsNoCase(words[1], "down")))
            Fail("expected wheel up|down [X]");
        Event e;
        e.type = EventType::MouseWheel;
        e.target = &Target();
        e.x = words.size() == 3 ? ParseInt(words[2], "X") : m_pointer.X;
        e.y = m_pointer.Y;
        e.wheelDelta = EqualsNoCase(words[1], "up") ? WHEEL_DELTA : -WHEEL_DELTA;
        e.shift = m_buttons;
        m_loop.Post(e);
        Pump();
    } else if (command == "LEAVE") {
        if (words.size() != 1)
            Fail("unexpected \"" + words[1] + "\"");
        Event e;
        e.type = EventType::MouseLeaveWindow;
        e.target = &Target();
        m_loop.Post(e);
        Pump();
    } else if (command == "WAIT" || command == "WAITPROGRAMS") {
        bool programs = command == "WAITPROGRAMS";
        if (words.size() != 2)
            Fail(programs ? "expected waitprograms MS" : "expected wait MS");
        int ms = ParseInt(words[1], "milliseconds");
        if (ms < 0)
            Fail("cannot wait a negative time");
        if (programs) {
            if (m_programs && !m_programs->WaitForStartedPrograms(static_cast<uint32_t>(ms)))
                Fail("programs still running after " + std::to_string(ms) + " ms");
        } else {
            if (!m_loop.Clock().IsVirtual())
                Fail("wait needs the virtual clock");
            m_loop.Advance(static_cast<uint64_t>(ms));
        }
        Pump();
    } else if (command == "SEED") {
        if (words.size() != 2)
            Fail("expected seed N");
        const int seed = ParseInt(words[1], "a seed");
        if (seed < 0)
            Fail("a seed cannot be negative");
        SeedChance(static_cast<uint32_t>(seed));
    } else if (command == "ANSWER") {
        if (words.size() != 2)
            Fail("expected answer ok|yes|no|N");
        DialogAnswer answer;
        if (EqualsNoCase(words[1], "ok"))
            answer.kind = DialogAnswer::Kind::Ok;
        else if (EqualsNoCase(words[1], "yes"))
            answer.kind = DialogAnswer::Kind::Yes;
        else if (EqualsNoCase(words[1], "no"))
            answer.kind = DialogAnswer::Kind::No;
        else {
            answer.kind = DialogAnswer::Kind::Button;
            answer.button = ParseInt(words[1], "ok, yes, no or a button number");
        }
        m_dialogs.PushAnswer(answer);
    } else if (command == "GET") {
        if (words.size() != 2)
            Fail("expected get NAME.Property");
        // Written out at once: a run stopped from outside still shows what it read.
        m_out << words[1] << "=" << ValueOf(words[1]) << "\n"
              << std::flush;
    } else if (command == "EXPECT") {
        if (words.size() < 2)
            Fail("expected expect NAME.Property VALUE");
        std::string expected(RestAfterWords(line, 2));
        if (expected.size() >= 2 && expected.front() == '"' && expected.back() == '"')
            expected = expected.substr(1, expected.size() - 2);
        std::string actual = ValueOf(words[1]);
        if (actual != expected)
            Fail("expect " + words[1] + ": expected \"" + expected + "\", found \"" + actual + "\"");
    } else if (command == "EXPECTBOX") {
        std::string expected(RestAfterWords(line, 1));
        if (expected.empty())
            Fail("expected expectbox TEXT");
        if (m_dialogs.Shown().empty())
            Fail("expectbox: no box was shown");
        std::string shown = Cp1250ToUtf8(m_dialogs.Shown().back().text);
        if (shown.find(expected) == std::string::npos)
            Fail("expectbox: the last box says \"" + shown + "\"");
    } else if (command == "SCREENSHOT") {
        if (words.size() != 2)
            Fail("expected screenshot FILE.png");
        Pump();
        Target().PaintNow();
        Screenshot(std::string(RestAfterWords(line, 1)));
    } else if (command == "QUIT") {
        m_quit = true;
        Application().Terminate();
    } else {
        Fail("unknown command \"" + words[0] + "\"");
    }
}

int HeadlessSession::RunScriptFile(TForm& form, const std::filesystem::path& script, std::ostream& out, std::ostream& err)
{
    std::ifstream in(script, std::ios::binary);
    if (!in) {
        err << script.string() << ": cannot read the script\n";
        return 1;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ScriptRunner runner(form, m_loop, m_dialogs, out);
    m_loop.ProcessMessages();
    int status = runner.Run(text, script.filename().string(), err);
    if (status == 0 && !m_dialogs.Failure().empty()) {
        err << script.filename().string() << ": " << m_dialogs.Failure() << "\n";
        return 1;
    }
    return status;
}

}
