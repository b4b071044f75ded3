#pragma once

class WindowPort;

// "Сохранить изменения как патч…" (Файл): the VCDIFF delta that turns file A into file B,
// written on a worker beside the window with its progress and "Стоп"; from the list of
// changes when it is complete and of the files as they are.
void installPatchCommand(WindowPort& window);
