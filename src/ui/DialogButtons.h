#pragma once

#include <QString>

class QDialog;
class QHBoxLayout;
class QPushButton;

// The closing buttons of a small dialog, right-aligned: its default button (named after its text, so tests
// find it) and "Cancel", which rejects the dialog. The caller connects the default button and adds the row to
// its layout.
QHBoxLayout* DefaultAndCancelRow(QDialog* dialog, QPushButton* defaultButton);

// A command button of a window whose Enter belongs to the field with the focus: it never becomes the default
// button on focus. Named `name` for tests, its caption when no name is given.
QPushButton* CommandButton(const QString& caption, const QString& name = QString());
