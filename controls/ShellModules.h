// The start and exit steps of the shell support as the program's module list runs them: the shell
// modules (state, then entry points), and later the worker thread pools.
#pragma once

namespace orv {

void InitShellModules();
void FinalizeShellModules();
// Makes the two global worker pools (with COM for their workers); they start no thread until work
// arrives. The exit step frees them, which stops and joins any worker they started.
void InitWorkerThreadPools();
void FinalizeWorkerThreadPools();

}  // namespace orv
