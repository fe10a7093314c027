// The person at the module's options dialog during one import: the boxes that
// the options name are clicked first; then OK or Cancel is pressed for the
// user, or the user answers. It also notes whether the dialog was shown and
// the result the system's dialog call gave the module.
#pragma once

#include <memory>

#include "cli/import_args.h"
#include "cli/plugin_module.h"

class DialogAnswerer {
   public:
    // Answers the dialogs of module until destroyed.
    DialogAnswerer(const ImportArgs& args, const PluginModule& module);
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    bool shown() const;
    INT_PTR result() const;

    // What each system's answerer keeps.
    struct State;

   private:
    std::unique_ptr<State> state_;
};
