#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

class QMainWindow;
class QPushButton;
struct Settings;

// A picture on the preview's dark background, fitted into it whole, its
// aspect kept and centred; pressing it moves the window.
class PreviewPicture : public QWidget {
    Q_OBJECT
public:
    explicit PreviewPicture(QWidget* parent);
    const QImage& picture() const { return m_picture; }
    void setPicture(const QImage& picture);
    // Where the picture is drawn; empty without one.
    QRect shownRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage m_picture;
};

// The floating window that shows the current cell's image large and whole, with
// "Open" and "Delete" buttons over its lower left. Its owner keeps it above
// the main window.
class frmPreview : public QWidget {
    Q_OBJECT
public:
    frmPreview(QMainWindow* owner, const Settings& settings);

    // Shows the image of cell (r, c). Throws when the file cannot be read;
    // the caption and fields are set by then.
    void Display(const QString& sPath, int r, int c);
    void clearPicture() { m_picture1->setPicture(QImage()); }

    PreviewPicture& Picture1() { return *m_picture1; }

    void cmd_Click(int index);

signals:
    // "Delete" pressed for the file shown, which stood in cell (r, c).
    void deleteRequested(const QString& path, int r, int c);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // The image's size fitted into the window, in device pixels.
    QSize decodeBound() const;
    void sharpen();

    QMainWindow& m_owner;
    const Settings& m_settings;
    PreviewPicture* m_picture1;
    QPushButton* m_cmd[2];
    QString m_previewPath;
    int m_previewRow = 0;
    int m_previewCol = 0;
    QTimer m_sharpen;  // re-decodes after the window grew past the picture shown
    // A double-click on "Delete" is one delete, not two.
    QElapsedTimer m_deleted;
};
