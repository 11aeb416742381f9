#pragma once
// The Recorder window: plays the presentation in its browser area while the session records.

#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;
class TForm1;

class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(TForm1* mainWindow, QWidget* parent = nullptr);
    ~TForm2() override;

    QFrame* suiPanel1 = nullptr;
    QFrame* suiPanel2 = nullptr;
    QFrame* Panel1 = nullptr;
    QWidget* browserArea = nullptr; // 613 x 477 at (2, 2) inside Panel1
    QLabel* title_caption = nullptr;
    QPushButton* suiButton2 = nullptr;
    QPushButton* button_start = nullptr;
    QPushButton* button_finished = nullptr;
    QPushButton* button_cancel = nullptr;
    QFrame* Panel2 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;

    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildLayout();

    TForm1* Form1;
};
