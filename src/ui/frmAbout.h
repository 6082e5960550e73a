#pragma once

#include <QWidget>

// A small modeless window naming the program and its version.
class frmAbout : public QWidget {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* owner);
};
