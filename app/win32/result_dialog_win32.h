#pragma once

#include <windows.h>

#include <string>

#include "app/core/batch_result.h"

// Shows a batch's result modally, owned by `owner`: the icon of its severity, its message, a
// filter by group with the groups' counts, the list of every file's outcome (failures first),
// Copy (the message and the rows shown, to the clipboard), Save report… (the CLI's CSV report,
// suggested as morvex-report.csv in `reportFolder`) and OK. The window fits into the work area of
// the owner's monitor and can be resized there. Returns once the user closes it.
void showBatchResult(HWND owner, const BatchResult& result, const std::string& reportFolder);
