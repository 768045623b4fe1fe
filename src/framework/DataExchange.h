// Data exchange between a dialog's controls and its fields, in both directions.
#pragma once

#include <windows.h>

#include <string>

namespace framework {

class Dialog;

class DataExchange {
public:
    DataExchange(Dialog& dialog, bool saveAndValidate) : dialog_(dialog), saveAndValidate_(saveAndValidate) {}

    // True: controls -> fields (with validation). False: fields -> controls.
    bool SaveAndValidate() const { return saveAndValidate_; }
    bool Failed() const { return failed_; }
    // Once a read has failed the rest of the exchange is skipped, as the read is void anyway.
    bool Skipping() const { return failed_; }
    void Fail() { failed_ = true; }
    Dialog& Target() const { return dialog_; }

private:
    Dialog& dialog_;
    bool saveAndValidate_;
    bool failed_ = false;
};

// A radio group: from the radio firstId (which starts the group) up to the next control that
// starts a group, in template order. The value is the position of the checked radio among the
// radios of the group, -1 for none; writing checks exactly that radio (-1 clears all).
void ExchangeRadio(DataExchange& exchange, int firstId, int& value);

// A check box as 0 (clear) or 1 (checked).
void ExchangeCheck(DataExchange& exchange, int id, int& value);

// A control's text.
void ExchangeText(DataExchange& exchange, int id, std::wstring& value);

// On a read: value must lie in min..max, else the operator is told and the read fails.
void ValidateRange(DataExchange& exchange, int value, int min, int max);

// The message of a failed range check.
std::wstring RangeMessage(int min, int max);

}  // namespace framework
