#pragma once
// Test-only hook for driving the real Client unattended (end-to-end tests).
//
// With ZARVO_CLIENT_SCRIPT set to IDs separated by commas, the terminal types each ID into
// Text1 and presses Enter, one after the other: the first once "CRA" has arrived (or 5 s after
// start), each next one after the previous answer (or 3 s of silence). After every answer it
// writes "ZARVO-RESULT <Label5>|<Label6>" to standard error; after the last, "ZARVO-SCRIPT-DONE",
// and the program ends. With the variable set to "-", IDs are read from standard input, one a
// line, and typed at once ("quit" ends the program); each typed line is written back as
// "ZARVO-TYPED <id> <Label5>|<Label6>", each answer as "ZARVO-RESULT ...", and every change of
// the status line as "ZARVO-STATUS <lines joined by |>" (the countdown's seconds as "N"), each
// failed attempt to reach the server as "ZARVO-FAILED <error> <text>".
// Without the variable nothing changes.

class Remote;

/// Starts the script of ZARVO_CLIENT_SCRIPT on `window`, if there is one.
void runClientScriptFromEnvironment(Remote &window);
