#pragma once

// Registers the framework's own component classes with the class registry; the layout reader
// calls it, so a layout can name them even when no code of the program refers to them.

namespace platform {

void RegisterStandardClasses();

}
