#pragma once

class QDialog;
class QDialogButtonBox;
class QFormLayout;

// OK and Cancel in the desktop's order, wired to the dialog's accept and reject.
QDialogButtonBox* MakeOkCancelButtons(QDialog& dialog);

// The small editors' shape: labelled fields at the top, OK and Cancel at the bottom.
void LayOutFieldsDialog(QDialog& dialog, QFormLayout* fields);
