#include "engine/gpInterface.h"

namespace engine {

RTL_REGISTER_CLASS(TGPForm);

int32_t TGPForm::ShowMain(TObject* caller) {
    Show(caller);
    return 0;
}

}  // namespace engine
