#pragma once

#include "gui/dialogs/ZoqDialog.h"

#include <QImage>

class QLabel;

// The about box: one picture of 169 x 89 pixels filling the box, no buttons;
// it closes through its close box.
class AboutDialog final : public ZoqDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutDialog)

public:
    static constexpr int PictureWidth = 169;
    static constexpr int PictureHeight = 89;

    explicit AboutDialog(QWidget *parent = nullptr);

    // The program's name and version, a pulse train and a small remote.
    [[nodiscard]] static QImage drawPicture();

    [[nodiscard]] QLabel *pictureLabel() const { return m_picture; }

private:
    QLabel *m_picture;
};
