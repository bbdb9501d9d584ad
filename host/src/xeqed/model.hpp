// The in-memory model behind xeqed: models own objects, objects own their
// attributes, compound attributes are objects owning their rows. Every
// object gets a handle from one table so that handles outlive nothing: a
// destroyed object's slot changes generation and old handles stop resolving.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "xeqed.h"

// The untyped C forms, which xeqed.h shows to C callers only.
extern "C" {
int Xeq_Obj_Attr_Get(XeqT_Obj_Handle obj, const char* path, void* out);
int Rule_Nt_Interface_Attr_Get(const RuleT_Nt_Interface* intf, const char* path, void* out);
}

namespace xeq {

struct Obj;
struct Model;

enum class Kind { Integer, Double, Text, Toggle, Compound };

// A scalar value; toggles keep 0/1 in i.
struct Scalar {
    Kind kind = Kind::Integer;
    int i = 0;
    double d = 0.0;
    std::string text;
    bool operator==(const Scalar& other) const;
};

struct Symbol {
    std::string name;
    Scalar value;
};

struct Attr {
    std::string name;
    Scalar value;                   // kind Compound: value unused
    std::vector<Symbol> symbols;    // enumerated attributes: symbol -> value
    std::unique_ptr<Obj> compound;  // set iff value.kind == Compound

    Kind kind() const { return value.kind; }
};

struct Obj {
    Obj(XeqT_Obj_Type type, Model* model, std::string hname);
    ~Obj();
    Obj(const Obj&) = delete;
    Obj& operator=(const Obj&) = delete;

    XeqT_Obj_Type type;
    XeqT_Obj_Handle handle = 0;
    Model* model;
    std::string hname;
    std::vector<Attr> attrs;

    // The editor's view of the object; never saved.
    int ui_status = 0;
    bool selected = false;

    // Nodes and subnets: the place in the model's drawing, when given.
    std::optional<std::pair<int, int>> position;
    // Links: the two ends, each a node and the name of its interface.
    struct LinkEnd {
        XeqT_Obj_Handle node = 0;
        std::string interface;
    };
    std::vector<LinkEnd> ends;
    // Paths: the objects the path runs through, in order (nodes and links).
    std::vector<XeqT_Obj_Handle> route;

    // Compound attributes only.
    std::vector<std::unique_ptr<Obj>> rows;
    std::unique_ptr<Obj> row_template; // defaults for rows added by ".count"

    Attr* find(std::string_view name);
    const Attr* find(std::string_view name) const;
    Attr& add(Attr attr);
};

struct Model {
    explicit Model(std::string model_name);
    ~Model();

    std::string name;
    std::string path;
    std::vector<std::unique_ptr<Obj>> objects; // model order
    std::unordered_map<std::string, Obj*> by_hname;
    std::unordered_map<int, std::vector<Obj*>> by_type;
    std::unordered_map<int, void*> client_states;
    int created = 0; // objects made by Xeq_Obj_Create, for default names
    std::unique_ptr<Obj> top;  // "top": the subnet every object lies in; not in objects
    XeqT_Obj_Handle zoom = 0;  // the object the view is zoomed to
    // Placed demands: demand handle -> (source, destination) handles.
    std::unordered_map<XeqT_Obj_Handle, std::pair<XeqT_Obj_Handle, XeqT_Obj_Handle>> demand_ends;

    Obj& add_object(XeqT_Obj_Type type, std::string hname);
    // False, changing nothing, when another object has that name.
    bool rename(Obj& obj, const std::string& hname);
    int draw_locks = 0; // Xeq_Model_Draw_Lock calls not yet unlocked
};

// ---- handles ------------------------------------------------------------
Obj* resolve(XeqT_Obj_Handle handle);

// ---- deep copies ----------------------------------------------------------
// A copy of attr named name whose compound (if any) belongs to owner.
Attr clone_attr(const Attr& attr, Obj& owner, const std::string& name);
std::unique_ptr<Obj> make_compound(Obj& owner, const std::string& attr_name);
std::unique_ptr<Obj> make_row(Obj& compound, size_t index);
// Resizes a compound; new rows copy the template's attributes.
void resize_rows(Obj& compound, size_t count);
// A copy of compound (rows and template) for attribute name of owner.
std::unique_ptr<Obj> clone_compound(const Obj& compound, Obj& owner, const std::string& name);

// ---- object life ----------------------------------------------------------------
// Takes a model object out of its model and destroys it, with the demands
// that end at it.
void destroy_object(Obj& obj);

// ---- attribute paths --------------------------------------------------------
struct Level {
    std::string_view name;
    int index = -1; // -1: no bracket
};
// Splits a path into levels; nullopt when malformed.
std::optional<std::vector<Level>> parse_path(std::string_view path);

// Where a path leads.
struct Target {
    Obj* container = nullptr; // object holding the last level's attribute
    std::string_view name;    // the last level's attribute name
    Attr* attr = nullptr;     // null when that attribute does not exist
    int row = -1;             // the last level's row index, -1 for none
    bool count = false;       // the path ends in ".count" of attr
};
// Walks every level but the last; nullopt when a level is missing, not a
// compound or names a row that does not exist.
std::optional<Target> locate(Obj& obj, std::string_view path);

// ---- scalar conversions -------------------------------------------------------
std::optional<int> as_int(const Scalar& v);
std::optional<double> as_double(const Scalar& v);
std::string as_text(const Scalar& v);
// v converted to kind (a scalar kind); nullopt when it does not convert.
std::optional<Scalar> convert(const Scalar& v, Kind kind);

// ---- current model -------------------------------------------------------------
Model* current_model();
void set_current_model(Model* model);
bool model_alive(const Model* model);

// ---- model files -----------------------------------------------------------------
struct LoadError {
    std::string message;
};
// Throws LoadError naming the place.
std::unique_ptr<Model> parse_model(std::string_view text, const std::string& source);
std::string serialise_model(const Model& model);

// ---- client state -------------------------------------------------------------------
void destroy_client_states(Model& model);

// Copies text into a caller buffer of size bytes, cutting it to fit.
void copy_bounded(std::string_view text, char* buffer, size_t size);

} // namespace xeq
