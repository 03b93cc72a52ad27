#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// A font chooser for faces that need not be installed: the offered faces in a list, a family
// that can also be typed, a size in points, and a preview drawn in the face or in the font that
// stands in for it. What it gives back is the family as typed or picked, never the stand-in.
class FaceChooserDlg : public QDialog {
    Q_OBJECT

  public:
    // Opens on family and points (no size shown when points is not positive).
    FaceChooserDlg(const QStringList& faces, const QString& family, int points,
                   QWidget* parent = nullptr);

    QString family() const;
    // The size in points; 0 when none is given.
    int points() const;

  private:
    void familyEdited(const QString& text);
    void facePicked();
    void updateState();

    QString initialFamily_;
    QLineEdit* family_ = nullptr;
    QListWidget* faces_ = nullptr;
    QComboBox* size_ = nullptr;
    QLabel* preview_ = nullptr;
    QLabel* standIn_ = nullptr;
    QPushButton* ok_ = nullptr;
};
