// The capture's high-resolution counter: it stands still until the capture
// moves it on by exactly one frame at its frame rate.
#ifndef ZELVARO_TOOLS_CAPTURE_VIRTUAL_CLOCK_H
#define ZELVARO_TOOLS_CAPTURE_VIRTUAL_CLOCK_H

// Installs the virtual counter as the source of QueryPerformanceCounter and
// sets the frame rate. The counter starts an hour in, as a real counter
// starts at the machine's running time, so the first frame is a long one.
void virtualClockStart(int framesPerSecond);
// One frame later: the frame timer then measures exactly 1/framesPerSecond.
void virtualClockAdvanceFrame();

#endif  // ZELVARO_TOOLS_CAPTURE_VIRTUAL_CLOCK_H
