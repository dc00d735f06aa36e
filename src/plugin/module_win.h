// The module state of the DLL: one kora::Module per thread that creates
// plug-in objects (the host's user-interface thread), started once by the
// first creation, and the Windows inputs of the start-up.
#pragma once

#include <memory>
#include <string>

#include "base/module_path_win.h"
#include "base/raii_win.h"
#include "errors/module.h"
#include "form/form_window.h"

namespace kora::win {

// DevelopmentMode. The host never runs inside a development environment that
// the plug-in could recognise, so the answer comes from the environment: the
// variable KORASTAND_DEVELOPMENT set to exactly "1" means yes, anything else
// (unset included) no. Asked afresh on every call (start-up, form load and
// unload).
bool developmentMode();

// The module's form: the Win32 form with the run-time buttons running Update
// and the profile operations.
std::unique_ptr<FormWindow> createModuleForm(Module& module, bool developmentMode);

// The calling thread's module, created and started up (reporting failures
// under "SubMain") on first use.
Module& threadModule();

// Whether the calling thread's module runs an operation (one may be inside a
// message box or a file dialog) or holds a form whose window still exists
// (the host has not destroyed it with its own).
bool threadModuleInUse() noexcept;

// Called when the server has no objects and no locks left: releases the
// calling thread's module (its components and its form) while the thread's
// apartment is still alive. True when no thread holds a module any more.
bool releaseThreadModule() noexcept;

}  // namespace kora::win
