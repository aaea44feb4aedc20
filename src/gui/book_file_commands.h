// Save As, PDF and print of the book form on display: context menu of both book areas and shortcuts.
#pragma once

namespace saxolith
{

class ResultScreen;

// Adds the commands to the result screen: 另存为… (Ctrl+Shift+S), 导出 PDF… (Ctrl+E) and 打印…
// (Ctrl+P), disabled while the book is empty; a notice says where every file went, 保存 included.
void installBookFileCommands(ResultScreen *screen);

} // namespace saxolith
