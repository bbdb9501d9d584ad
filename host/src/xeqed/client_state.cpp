// Client state: handlers registered once per label for the process, one
// kept object per model and label.
#include <string>
#include <vector>

#include "model.hpp"

namespace {
struct Registration {
    std::string label;
    XeqT_Client_State_Copy_Create_Proc copy_create;
    XeqT_Client_State_Destroy_Proc destroy;
    XeqT_Client_State_Read_Proc read;
    XeqT_Client_State_Write_Proc write;
};

// Registered by plug-in initialisers; lives as long as the process.
std::vector<Registration>& registrations() {
    static std::vector<Registration> list;
    return list;
}

void destroy_state(int id, void* state) {
    if (state && registrations()[id].destroy) registrations()[id].destroy(state);
}
} // namespace

namespace xeq {
void destroy_client_states(Model& model) {
    // Take them out first: a destroy handler may look at the model.
    auto states = std::move(model.client_states);
    model.client_states.clear();
    for (auto& [id, state] : states) destroy_state(id, state);
}
} // namespace xeq

using namespace xeq;

extern "C" {

int Xeq_Client_State_Handlers_Register(const char* label,
                                       XeqT_Client_State_Copy_Create_Proc copy_create,
                                       XeqT_Client_State_Destroy_Proc destroy,
                                       XeqT_Client_State_Read_Proc read,
                                       XeqT_Client_State_Write_Proc write) {
    if (!label) return -1;
    Registration reg{label, copy_create, destroy, read, write};
    auto& list = registrations();
    for (size_t id = 0; id < list.size(); ++id)
        if (list[id].label == label) {
            list[id] = reg;
            return static_cast<int>(id);
        }
    list.push_back(reg);
    return static_cast<int>(list.size() - 1);
}

int Xeq_Client_State_By_Name_Get(const char* label) {
    if (!label) return -1;
    const auto& list = registrations();
    for (size_t id = 0; id < list.size(); ++id)
        if (list[id].label == label) return static_cast<int>(id);
    return -1;
}

void* Xeq_Model_Network_State_Access(XeqT_Model_Handle handle, int id) {
    Model* model = reinterpret_cast<Model*>(handle);
    if (!model_alive(model)) return nullptr;
    auto it = model->client_states.find(id);
    return it == model->client_states.end() ? nullptr : it->second;
}

int Xeq_Model_Network_State_Set(XeqT_Model_Handle handle, int id, void* state) {
    Model* model = reinterpret_cast<Model*>(handle);
    if (!model_alive(model) || id < 0 || static_cast<size_t>(id) >= registrations().size())
        return 0;
    void*& kept = model->client_states[id];
    if (kept != state) destroy_state(id, kept);
    kept = state;
    return 1;
}

} // extern "C"
