// The boreholes of a site investigation: reading their file (CSV or .xlsx, by the schedule's rules), one
// row per layer, top down.
#pragma once

#include "core/schedule/schedule_file.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace saxolith
{

enum class BoreholeColumn { Hole, Collar, Layer, Name, Bottom, Qsia, Qsik, Qpa, Frk, Integrity };
inline constexpr std::size_t boreholeColumnCount = 10;

struct BoreholeColumnName {
    BoreholeColumn column;
    std::string_view english;
    std::string_view chinese;
    bool required;
};
inline constexpr std::array<BoreholeColumnName, boreholeColumnCount> boreholeColumnNames{{
    {BoreholeColumn::Hole, "hole", "钻孔", true},
    {BoreholeColumn::Collar, "collar", "孔口标高(m)", true},
    {BoreholeColumn::Layer, "layer", "层号", true},
    {BoreholeColumn::Name, "name", "岩土名称", false},
    {BoreholeColumn::Bottom, "bottom", "层底深度(m)", true},
    {BoreholeColumn::Qsia, "qsia", "qsia(kPa)", false},
    {BoreholeColumn::Qsik, "qsik", "qsik(kPa)", false},
    {BoreholeColumn::Qpa, "qpa", "qpa(kPa)", false},
    {BoreholeColumn::Frk, "frk", "frk(MPa)", false},
    {BoreholeColumn::Integrity, "integrity", "完整程度", false},
}};

// A column named in the header row, in either language; case, blanks, full-width brackets and the unit aside.
std::optional<BoreholeColumn> boreholeColumnByName(std::string_view name);

// One layer of a hole. An empty resistance is none (0 where a sum takes it); "-" and "—" stand for empty.
struct GroundLayer {
    int line = 0;       // the file's line
    std::string number; // 层号 as the site report gives it: ③, 4-2, …
    std::string name;   // 岩土名称
    double top = 0.0;   // depth of the layer's top below the collar, m (the layer above's bottom)
    double bottom = 0.0;
    std::optional<double> qsia; // kPa
    std::optional<double> qsik; // kPa
    std::optional<double> qpa;  // kPa
    std::optional<double> frk;  // MPa
    std::string integrity;      // a class name or an integrity index, as the calculation reads it

    double thickness() const { return bottom - top; }
    bool operator==(const GroundLayer &) const = default;
};

struct Borehole {
    std::string id;
    int line = 0;                    // of its first row
    double collar = 0.0;             // elevation, m
    std::vector<GroundLayer> layers; // top down, depths increasing

    double depth() const { return layers.empty() ? 0.0 : layers.back().bottom; }
    const GroundLayer *layer(std::string_view number) const;
};

class Boreholes
{
  public:
    const std::vector<Borehole> &holes() const { return m_holes; }
    const Borehole *find(std::string_view id) const;
    bool empty() const { return m_holes.empty(); }

    // A hole by its id, added after the others when it is new.
    Borehole &hole(std::string_view id, bool &added);

  private:
    std::vector<Borehole> m_holes;
    std::unordered_map<std::string, std::size_t> m_index;
};

struct BoreholesReading {
    Boreholes boreholes;                // nothing when the file is refused
    std::optional<ScheduleError> error; // the first, with its line; nothing half-read is kept
};

// Reads the whole file (CSV in UTF-8, UTF-16 or GBK, or an .xlsx workbook's first sheet).
BoreholesReading readBoreholes(std::string_view bytes);

} // namespace saxolith
