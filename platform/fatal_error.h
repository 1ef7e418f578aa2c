// The one form in which every start-up stage reports a fatal failure.
#pragma once

// Shows a modal error box titled "QORB ERROR" with no parent window; message starts "Fatal Error: ".
void showFatalError(const char* message);
