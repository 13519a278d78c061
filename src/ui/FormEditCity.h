#pragma once

#include <QDialog>

class City;
class QLineEdit;

// "Change City Display Name": the display name of one city, its details shown
// beside it. Modal; OK stores the trimmed name, even an empty one.
class CFormEditCity : public QDialog {
    Q_OBJECT

public:
    CFormEditCity(City& city, QWidget* parent);

    QLineEdit& DisplayName() const { return *displayName_; }

    void accept() override;

private:
    City& city_;
    QLineEdit* displayName_ = nullptr;
};
