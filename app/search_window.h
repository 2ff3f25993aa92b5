#pragma once
// Form7: the search window: a word searched in the engine chosen in its combo box, which
// is remembered between runs.

#include "platform/forms/forms.h"

#include <cstdint>
#include <string>

namespace app {

class SearchWindow final : public platform::forms::FormCode {
public:
    explicit SearchWindow(platform::forms::Form& form);

    void Form_Load();
    void Form_Unload(int16_t& Cancel);
    void ww1_Click();

private:
    void LoadEngine();
    void SaveEngine();
    std::string section() const;

    platform::forms::Form& Me;
};

} // namespace app
