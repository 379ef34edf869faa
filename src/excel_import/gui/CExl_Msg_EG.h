#pragma once

#include <QDialog>

// "Example of personalized Dynamic Message": what a sheet of school results and one template with column
// placeholders make for one parent, in three read-only texts. Opened modally by either "Show me an Example"
// of the import wizard.
class CExl_Msg_EG final : public QDialog {
    Q_OBJECT
public:
    explicit CExl_Msg_EG(QWidget* parent = nullptr);
};
