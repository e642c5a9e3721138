#pragma once

#include "YString.hpp"

// The program's message boxes, owned by the thread's active window. Texts given by id come from
// the string table; a missing or empty entry throws kind 3 (see YString::LoadResource).

int MessageBoxById(unsigned titleId, unsigned textId, unsigned style);

// Error icon and an OK button.
void ErrorBox(unsigned titleId, unsigned textId);
void ErrorBox(unsigned titleId, const YString& text);
void ErrorBox(const YString& title, const YString& text);

// Question icon, OK and Cancel; the button pressed.
int QuestionBox(unsigned titleId, unsigned textId);
int QuestionBox(const YString& title, const YString& text);
