#pragma once

// A field of /proc/self/status in kilobytes ("VmRSS:", "VmHWM:"); -1 when it
// cannot be read.
long statusKb(const char *field);
