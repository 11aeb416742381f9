#pragma once
// The "Advance" dialog: the selected encoder's own settings, one editor per setting built
// from its description. OK hands every changed value to the encoder facility, which keeps it
// for every later save with that encoder.

#include "avi/avi_writer.h"
#include "platform/encoder_facility.h"

#include <QDialog>

#include <string>
#include <vector>

class EncoderOptionsDialog : public QDialog {
    Q_OBJECT
public:
    EncoderOptionsDialog(EncoderFacility& facility, const std::string& code, QWidget* parent = nullptr);

    // Stores the changed values; a value the encoder refuses is reported and the dialog
    // stays open on it.
    void accept() override;

private:
    struct Field {
        EncoderOption option;
        QWidget* editor = nullptr;
    };

    QWidget* makeEditor(const EncoderOption& option);
    QString valueOf(const Field& field) const;
    bool changed(const Field& field, const QString& value) const;

    EncoderFacility& facility_;
    std::string code_;
    std::vector<Field> fields_;
};

// Shows EncoderOptionsDialog modally over the owner window.
class DialogOptionsEditor : public CompressorOptionsEditor {
public:
    explicit DialogOptionsEditor(QWidget* owner) : owner_(owner) {}
    void edit(EncoderFacility& facility, const std::string& code) override;

private:
    QWidget* owner_;
};
