#pragma once
// The picture window "Pfeileditor": alarm picture with its arrows.
#include <QWidget>
#include <cstdint>

class frmPicture : public QWidget {
    Q_OBJECT
public:
    explicit frmPicture(QWidget* parent = nullptr);
    ~frmPicture() override;

    // Loads the current alarm's picture and the arrows the display mode asks for.
    void PfeilActivate();
    // Frames the arrow element with that index.
    void FocusRect(std::int16_t AktImgPfeilIndex);
};
