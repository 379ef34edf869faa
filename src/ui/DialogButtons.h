#pragma once

class QDialog;
class QHBoxLayout;
class QPushButton;

// The closing buttons of a small dialog, right-aligned: its default button (named after its text, so tests
// find it) and "Cancel", which rejects the dialog. The caller connects the default button and adds the row to
// its layout.
QHBoxLayout* DefaultAndCancelRow(QDialog* dialog, QPushButton* defaultButton);
