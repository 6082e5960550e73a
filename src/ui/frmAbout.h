#pragma once

#include <QDialog>

// A small modeless window naming the program and its version. A dialog, so
// that Escape and Return close it as they close any other.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* owner);
};
