// The temporaries a `varnel import --export` child stages its outputs under,
// found again by their name, ".varnel-tmp-PID-NAME.XXXXXX" (export/
// file_swap.h makes it, with the marker both use). A child killed by a signal
// cannot remove them, so the parent does; a parent killed outright leaves
// them to the next run into the same folder. Nothing without the marker is
// ever touched.
#pragma once

#include <sys/types.h>

#include <string>

// Removes from dir the temporaries of process pid, files and folders.
void RemoveTemporariesOf(const std::string& dir, pid_t pid);

// Removes from dir the temporaries of processes that are gone, leaving
// those of one still writing, such as another run into the same folder.
void RemoveAbandonedTemporaries(const std::string& dir);
