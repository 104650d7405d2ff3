#pragma once

#include <QWidget>

class QGridLayout;
class QVBoxLayout;

namespace tavrin {

class HUDRow;
class SnapHUDController;

// What the overlay's two faces share: a card of fixed width holding, top to
// bottom, a header (the application's name in bold and a note on the
// right), a grid of three equal columns, and a footer of the face's own.
class HUDFace : public QWidget {
    Q_OBJECT
public:
    HUDRow* header() const { return header_; }

protected:
    HUDFace(SnapHUDController& hud, const QString& name, QWidget* parent = nullptr);

    // Adds the footer under the grid.
    void addFooter(QWidget* footer);
    QGridLayout* grid() const { return grid_; }

    SnapHUDController& hud_;

private:
    QVBoxLayout* stack_;
    HUDRow* header_;
    QGridLayout* grid_;
};

} // namespace tavrin
