#pragma once

class WindowPort;

// Connects "Найти байт", "Найти несовпадения", "Заменить" and "Заполнить" of the window to
// their dialogs. The dialogs and what they remember belong to the window from then on.
void installRangeCommands(WindowPort& window);
