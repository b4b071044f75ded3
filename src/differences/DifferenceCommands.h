#pragma once

#include <cstdint>

class MismatchDock;
class QString;
class PairView;
class WindowPort;

// Connects "Список несовпадений" (the panel at the right), F6 / Shift+F6 and the status
// line under the window. Returns the panel, which the window owns.
MismatchDock* installDifferenceCommands(WindowPort& window);

// "Адрес 0001A35   A: 3C   B: 3D" for the focused cell, the bytes as the screen shows
// them; empty without one.
QString addressStatus(const PairView& view);
