// What the conversions ask the system about processes and the console.
#pragma once

#include <sys/types.h>

#include <cstddef>

// Processors online, at least 1.
size_t ProcessorCount();

// Standard error is a console or terminal, where progress is redrawn in
// place.
bool ErrorIsTerminal();

// The process has ended (or never was); one that is not ours but exists
// still counts as running.
bool ProcessIsGone(pid_t pid);
