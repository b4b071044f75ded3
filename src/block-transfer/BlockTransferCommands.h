#pragma once

class WindowPort;

// Connects "Сохранить блок", "Загрузить из ..." and "Создать файл" of the window to their
// dialogs. What the dialogs remember belongs to the window from then on.
void installBlockTransferCommands(WindowPort& window);
