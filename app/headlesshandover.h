#pragma once

// The headless command line is a program of its own, terravik-cli, built on
// the core alone: no widgets, no OpenGL, no display. The window's program
// hands it any command line that asks for it, keeping argv[0], so that
// "terravik --export ..." works wherever terravik does.

// Whether the arguments are the headless command line's (help and version
// included), judged before any window exists.
bool asksForHeadless(int argc, char* argv[]);

// Replaces this process with terravik-cli from the same folder. Returns only
// on failure, with the exit status to end with, after saying why.
int handOverToHeadless(char* argv[]);
