#pragma once
// Worker threads by number, and sleeping.

typedef int (*ThreadProcedure)(int value);
// Runs procedure(value) on a new thread with a 4,096-byte initial stack.
// Returns the thread's number (1, 2, ...), 0 when no thread was started.
int StartThread(ThreadProcedure procedure, int value);
// Closes the handles of all started threads; the threads run on (shutdown).
void ReleaseThreadHandles();

void Delay(int milliseconds);
