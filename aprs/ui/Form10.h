#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

class QComboBox;

namespace windlark {

// "APRS Sonde tracking": picks the sonde to track from the names heard on APRS-IS.
class TForm10 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm10(QWidget* parent = nullptr);

  // Fills the drop-down list, sorted, the first name selected.
  void SetNames(const std::vector<std::string>& names);
  // The chosen name; empty when none is selected.
  QString SelectedName() const;
  QComboBox* NameList() const { return m_names; }

 private:
  QComboBox* m_names = nullptr;
};

}  // namespace windlark
