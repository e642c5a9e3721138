#pragma once

#include <windows.h>

#include "YGuiDialog.hpp"
#include "YString.hpp"

class TuningSettingsDialog;

// Asks for the name of a new tuning. The name field takes only letters, digits and underscores, at
// most 20 of them (NameFilterProc); OK checks the name once more, since pasted text passes the
// filter, and refuses a name that a tuning of the owner dialog has already.
class CreateTuningDialog : public YGuiDialog {
public:
    CreateTuningDialog();

    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The dialog whose tunings the new name must differ from.
    void SetOwnerDialog(const TuningSettingsDialog* dialog) { ownerDialog = dialog; }
    // The name entered, once the dialog ended with OK.
    const YString& NewName() const { return newName; }

private:
    void Initialize();
    void Command(int id, int notification);
    void Confirm();

    YString newName;
    const TuningSettingsDialog* ownerDialog = nullptr;
};

// The window procedure of the name field: a typed character that cannot be part of a tuning name
// beeps and is dropped; everything else goes on to the field's own procedure, which the field keeps
// in its user data.
LRESULT CALLBACK NameFilterProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
