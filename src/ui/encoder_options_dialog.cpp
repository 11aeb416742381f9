// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/encoder_options_dialog.h"

#include "core/deckrec_error.h"
#include "ui/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

#include <climits>
#include <cmath>

namespace {

bool FitsSpinBox(const EncoderOption& option)
{
    return option.minimum >= INT_MIN && option.maximum <= INT_MAX;
}

QComboBox* ChoiceBox(const EncoderOption& option)
{
    auto* box = new QComboBox;
    for (const auto& [name, value] : option.constants)
        box->addItem(QString::fromStdString(name), QVariant::fromValue<qlonglong>(value));
    const qlonglong current = QString::fromStdString(option.value).toLongLong();
    int index = box->findData(QVariant::fromValue<qlonglong>(current));
    if (index < 0) { // a value without a name of its own
        box->addItem(QString::fromStdString(option.value), QVariant::fromValue<qlonglong>(current));
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
    return box;
}

QString FlagNames(const EncoderOption& option)
{
    QStringList names;
    for (const auto& constant : option.constants)
        names << QString::fromStdString(constant.first);
    return names.join(", ");
}

} // namespace

EncoderOptionsDialog::EncoderOptionsDialog(EncoderFacility& facility, DialogService& dialogs, const std::string& code,
                                           QWidget* parent)
    : QDialog(parent)
    , facility_(facility)
    , dialogs_(dialogs)
    , code_(code)
{
    setObjectName("dialog_encoderoptions");
    setWindowTitle(QString::fromStdString(code) + " Settings");
    auto* form = new QWidget;
    auto* layout = new QFormLayout(form);
    for (const EncoderOption& option : facility.options(code)) {
        Field field{option, makeEditor(option)};
        field.editor->setObjectName(QString::fromStdString(option.name));
        field.editor->setToolTip(QString::fromStdString(option.help));
        auto* label = new QLabel(QString::fromStdString(option.name));
        label->setToolTip(QString::fromStdString(option.help));
        layout->addRow(label, field.editor);
        fields_.push_back(field);
    }
    // Some encoders have dozens of settings: they scroll inside a window of fixed height.
    auto* scroll = new QScrollArea;
    scroll->setWidget(form);
    scroll->setWidgetResizable(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &EncoderOptionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &EncoderOptionsDialog::reject);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(scroll);
    outer->addWidget(buttons);
    resize(420, 360);
}

QWidget* EncoderOptionsDialog::makeEditor(const EncoderOption& option)
{
    const QString value = QString::fromStdString(option.value);
    switch (option.kind) {
    case EncoderOption::Kind::Integer:
        if (FitsSpinBox(option)) {
            auto* spin = new QSpinBox;
            spin->setRange(static_cast<int>(option.minimum), static_cast<int>(option.maximum));
            spin->setValue(value.toInt());
            return spin;
        }
        return new QLineEdit(value);
    case EncoderOption::Kind::Real: {
        auto* spin = new QDoubleSpinBox;
        spin->setDecimals(3);
        spin->setRange(std::max(option.minimum, -1e9), std::min(option.maximum, 1e9));
        spin->setValue(value.toDouble());
        return spin;
    }
    case EncoderOption::Kind::Boolean: {
        auto* box = new QCheckBox;
        box->setChecked(value.toLongLong() != 0);
        return box;
    }
    case EncoderOption::Kind::Choice:
        return ChoiceBox(option);
    case EncoderOption::Kind::Flags: {
        auto* edit = new QLineEdit(value);
        edit->setPlaceholderText(FlagNames(option));
        return edit;
    }
    case EncoderOption::Kind::Text:
        break;
    }
    return new QLineEdit(value);
}

QString EncoderOptionsDialog::valueOf(const Field& field) const
{
    if (auto* spin = qobject_cast<QSpinBox*>(field.editor))
        return QString::number(spin->value());
    if (auto* spin = qobject_cast<QDoubleSpinBox*>(field.editor))
        return QString::number(spin->value(), 'g', 10);
    if (auto* box = qobject_cast<QCheckBox*>(field.editor))
        return box->isChecked() ? "1" : "0";
    if (auto* box = qobject_cast<QComboBox*>(field.editor))
        return QString::number(box->currentData().toLongLong());
    return qobject_cast<QLineEdit*>(field.editor)->text();
}

bool EncoderOptionsDialog::changed(const Field& field, const QString& value) const
{
    const QString before = QString::fromStdString(field.option.value);
    if (field.option.kind == EncoderOption::Kind::Real)
        return std::fabs(value.toDouble() - before.toDouble()) > 1e-9;
    return value != before;
}

void EncoderOptionsDialog::accept()
{
    for (Field& field : fields_) {
        const QString value = valueOf(field);
        if (!changed(field, value))
            continue;
        try {
            facility_.setOption(code_, field.option.name, value.toStdString());
            field.option.value = value.toStdString();
        } catch (const DeckrecError& error) {
            dialogs_.message(this, QString::fromStdString(error.what()), windowTitle(), DialogService::Icon::Error);
            field.editor->setFocus();
            return;
        }
    }
    QDialog::accept();
}

void DialogOptionsEditor::edit(EncoderFacility& facility, const std::string& code)
{
    EncoderOptionsDialog dialog(facility, dialogs_, code, owner_);
    dialog.exec();
}
