// What ends the program when a structured exception (an access violation,
// an illegal instruction, a divide by zero, a stack overflow) reaches no
// handler, in any of its threads: exit code 8, at once.
#pragma once

// Called first thing, before any thread of the program's own is started.
void EndProgramOnCrash();
