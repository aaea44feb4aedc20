// Save As, Excel and CSV of the candidate list on show: context menu of both lists and shortcuts.
#pragma once

namespace saxolith
{

class OptimisationScreen;

// Adds the commands to the optimisation screen: 另存为… (Ctrl+Shift+S), 导出 Excel… (Ctrl+E; the
// name typed may end in .csv instead) and 导出 CSV…, disabled while the list on show is empty. A
// long export shows its progress in pb_YH_jingdu while the window keeps painting; a notice says
// where every file went, 存盘 included. The spreadsheets add Rp(kN), the shaft's strength at the report's
// concrete grade and ψc, after the list's columns.
void installListFileCommands(OptimisationScreen *screen);

} // namespace saxolith
