#include "app/ui/SettingsBinding.h"

#include <utility>

#include "app/ui/ModalPrompts.h"
#include "app/ui/SettingsForm.h"

namespace windlark {

SettingsBinding::SettingsBinding(SettingsStore store, TSettingsForm& form, ApplyFn apply)
    : m_store(std::move(store)), m_form(form), m_apply(std::move(apply)) {
  m_form.SetCommit([this] { return Save(); });
}

SettingsBinding::~SettingsBinding() {
  m_form.SetCommit({});
}

AppliedSettings SettingsBinding::Load() {
  m_loaded = m_store.Load(m_form.AudioDevices());
  m_form.Fill(m_loaded);
  AppliedSettings applied = AppliedSettingsOf(m_loaded);
  if (m_apply) m_apply(applied);
  return applied;
}

QString SettingsBinding::Save() const {
  return m_store.Save(m_form.ReadSettings(), m_form.ReadTexts());
}

AppliedSettings SettingsBinding::Edit(ModalPrompts& prompts) {
  prompts.RunModal(m_form);
  return Load();
}

}  // namespace windlark
