#pragma once
// Numbered diagnostics: each appends its message (and for codes up to 8 the echoed model
// line) to FatalText. Any text in FatalText makes the run fail.

#include <string>

#include "common/Analysis.h"

namespace tavu {

// The message of a code, without the echoed line and without the line end.
std::string DiagnosticMessage(int code, int first, int second);

// Appends the diagnostic to a.State.FatalText: for code <= 8 the whole text of model
// line `second` and CR LF first, then the message and CR LF.
void Diagnose(Analysis& a, int code, int first, int second);

} // namespace tavu
