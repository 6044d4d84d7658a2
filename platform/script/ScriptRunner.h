#pragma once

// The headless test driver: runs a script of input and checks against a form on the virtual
// clock. Input is posted to the event loop addressed to the form, so it takes the same road as
// a window backend's input (queue -> form -> controls: hit test, capture, enter and leave).
//
//     move NAME [X Y]              pointer to X, Y of the component (default: its centre)
//     click NAME [X Y] [right]     move, press and release
//     mousedown NAME [X Y] [right] / mouseup NAME [X Y] [right]
//     key [Shift+]KEY              Down, Up, Left, Right, PageUp, PageDown, Home, End, Enter,
//                                  Escape, Space, Tab, Back, Delete, Insert, F1..F12, A..Z, 0..9
//     type TEXT                    the text as typed characters (the rest of the line)
//     wheel up|down [X]            one notch at form x X (default: where the pointer is)
//     leave                        the pointer leaves the window
//     wait MS                      advance the virtual clock, firing due timers in order
//     waitprograms MS              wait, in real time and at most MS, until every program the
//                                  menu started has ended (Windows ones with their wineserver)
//     seed N                       what decorates by chance (the side animations) repeats from
//                                  seed N; unseeded it differs from run to run
//     answer ok|yes|no|N           queue the answer of the next box (N: choice button from 0)
//     get NAME.Property            prints NAME.Property=VALUE
//     expect NAME.Property VALUE   VALUE is the rest of the line (surrounding quotes dropped)
//     expectbox TEXT               the last box shown holds TEXT (the rest of the line)
//     screenshot FILE.png          the form's picture
//     quit                         ends the script (and the application)
//
// NAME is a component of the form, or the form itself by its name; the form is the application's
// main form where there is one, so a program that changes it is followed. Texts compare as UTF-8.
// Blank lines and lines starting with '#' are skipped. A failing line stops the script with
// "FILE:LINE: why" and status 1.

#include "platform/components/Forms.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/events/EventLoop.h"
#include "platform/process/Process.h"

#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>

namespace platform {

class ScriptRunner {
public:
    // `programs`: the service whose started programs `waitprograms` waits for (none: no program
    // is ever started, so there is nothing to wait for).
    ScriptRunner(TForm& form, EventLoop& loop, HeadlessDialogs& dialogs, std::ostream& out, IProcessService* programs = nullptr);

    // 0 when every line passed, 1 after printing the failure to err.
    int Run(std::string_view script, const std::string& sourceName, std::ostream& err);
    // One command; raises Exception.
    void RunLine(std::string_view line);
    bool QuitRequested() const { return m_quit; }

private:
    TForm& Target() const;
    TComponent& Component(const std::string& name) const;
    TControl& Control(const std::string& name) const;
    TPoint PointOf(const std::vector<std::string>& words, size_t& next);
    void PostMouse(EventType type, TPoint formPoint, TMouseButton button);
    void Pump();
    std::string ValueOf(const std::string& path) const;
    void Screenshot(const std::string& file) const;

    TForm& m_form;
    EventLoop& m_loop;
    HeadlessDialogs& m_dialogs;
    std::ostream& m_out;
    IProcessService* m_programs;
    TPoint m_pointer;
    TShiftState m_buttons = 0;
    bool m_quit = false;
};

// A surface as an opaque PNG file (top row first). Throws PictureError when it cannot be written.
void WriteSurfacePng(const PixelView& surface, const std::filesystem::path& file);

// Virtual key of a script key name (case-insensitive); 0 for none.
uint16_t ScriptKeyCode(std::string_view name);

// What a program's `--headless --script FILE` sets up: the virtual clock as the current loop
// and a dialog channel to the headless dialogs, for as long as it lives.
class HeadlessSession {
public:
    EventLoop& Loop() { return m_loop; }
    HeadlessDialogs& Dialogs() { return m_dialogs; }
    platform::Dialogs& Channel() { return m_channel; }
    // Reads and runs the script file against the form; the exit status of the program.
    int RunScriptFile(TForm& form, const std::filesystem::path& script, std::ostream& out, std::ostream& err);

private:
    VirtualClock m_clock;
    EventLoop m_loop { m_clock };
    ScopedEventLoop m_scope { m_loop };
    HeadlessDialogs m_dialogs;
    platform::Dialogs m_channel { m_dialogs };
};

}
