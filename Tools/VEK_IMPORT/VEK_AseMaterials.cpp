// The material section: "*MATERIAL_COUNT" records from the material list, each read
// inside its own "*MATERIAL n" block (sub-materials inside their "*SUBMATERIAL" blocks),
// so a material without a bitmap keeps an empty bitmap name.
#include "VEK_AseSections.h"
#include "VEK_ImportTexts.h"

#include <cstdio>

namespace aseimport {
namespace {
using scenefile::Vec3;

constexpr long long kMaxSubMaterials = 10;   // a multi-material's slots 1..9 plus itself

// The surface fields shared by materials and sub-materials.
struct Surface {
    Vec3 ambient, diffuse, specular;
    float shine = 0, shineStrength = 0, transparency = 0, wireSize = 0;
};

float FirstReal(const AseText& text, Span span, std::string_view keyword)
{
    Cursor cursor(text, span);
    return cursor.find(keyword) ? cursor.real() : 0.0f;
}

Vec3 FirstColour(const AseText& text, Span span, std::string_view keyword)
{
    Cursor cursor(text, span);
    Vec3 colour;
    if (!cursor.find(keyword)) return colour;
    colour.x = cursor.real();
    colour.y = cursor.real();
    colour.z = cursor.real();
    return colour;
}

Surface ReadSurface(const AseText& text, Span span)
{
    Surface surface;
    surface.ambient = FirstColour(text, span, "*MATERIAL_AMBIENT");
    surface.diffuse = FirstColour(text, span, "*MATERIAL_DIFFUSE");
    surface.specular = FirstColour(text, span, "*MATERIAL_SPECULAR");
    surface.shine = FirstReal(text, span, "*MATERIAL_SHINE");
    surface.shineStrength = FirstReal(text, span, "*MATERIAL_SHINESTRENGTH");
    surface.transparency = FirstReal(text, span, "*MATERIAL_TRANSPARENCY");
    surface.wireSize = FirstReal(text, span, "*MATERIAL_WIRESIZE");
    return surface;
}

void WriteSurface(scenefile::ByteWriter& out, const Surface& surface)
{
    out.vec3(surface.ambient);
    out.vec3(surface.diffuse);
    out.vec3(surface.specular);
    out.f32(surface.shine);
    out.f32(surface.shineStrength);
    out.f32(surface.transparency);
    out.f32(surface.wireSize);
}

std::string FirstQuoted(const AseText& text, Span span, std::string_view keyword)
{
    Cursor cursor(text, span);
    return cursor.find(keyword) ? cursor.quoted() : std::string();
}

// The bitmap's file name without its directories (either kind of slash).
std::string BitmapName(const AseText& text, Span span)
{
    std::string path = FirstQuoted(text, span, "*BITMAP");
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

class MaterialWriter {
public:
    explicit MaterialWriter(SectionContext& context) : context_(context), text_(context.text), out_(context.out) {}

    void write(std::uint32_t index, Span material)
    {
        const std::string name = FirstQuoted(text_, material, "*MATERIAL_NAME");
        context_.log.write(text::kConvertingMaterial, name.c_str());
        context_.showConsoleMessage(text::kMaterialExported, name);
        long long subCount = 0;
        const bool multi = isMulti(material, name, subCount);
        out_.u32(index);
        out_.name(context_.recordName(name, "Material", index));
        out_.u32(multi ? 1 : 0);
        WriteSurface(out_, ReadSurface(text_, material));
        if (!multi) {
            out_.f32(FirstReal(text_, material, "*MATERIAL_SELFILLUM"));
            out_.u16(0);
            writeBitmap(material);
            return;
        }
        out_.u16(std::uint16_t(subCount));
        Cursor cursor(text_, material);
        for (long long slot = 0; slot < subCount; ++slot) {
            if (!cursor.findAtLevel("*SUBMATERIAL"))
                context_.fail(FormatText(text::kTooFewSubMaterials, name.c_str(), subCount, std::size_t(slot)));
            writeSubMaterial(unsigned(slot), context_.requireBlock(cursor, "*SUBMATERIAL"), name);
        }
    }

private:
    // A class beginning with 'M' ("Multi/Sub-Object") with at most 10 sub-materials.
    bool isMulti(Span material, const std::string& name, long long& subCount)
    {
        Cursor cursor(text_, material);
        if (!cursor.find("*MATERIAL_CLASS")) return false;
        const std::string materialClass = cursor.quoted();
        if (materialClass.empty() || materialClass[0] != 'M') return false;
        Cursor count(text_, material);
        subCount = count.find("*NUMSUBMTLS") ? count.integer() : 0;
        context_.checkRange(subCount, 0xFFFF, "the sub-material count of material", name);
        if (subCount <= kMaxSubMaterials) return true;
        context_.log.write(text::kMultiAsPlain, name.c_str(), subCount);
        subCount = 0;
        return false;
    }

    void writeSubMaterial(unsigned slot, Span sub, const std::string& baseName)
    {
        const std::string name = FirstQuoted(text_, sub, "*MATERIAL_NAME");
        context_.log.write(text::kSubMaterial, slot, name.c_str(), baseName.c_str());
        out_.name(context_.recordName(name, "SubMaterial", slot));
        WriteSurface(out_, ReadSurface(text_, sub));
        writeBitmap(sub);
    }

    void writeBitmap(Span span)
    {
        const std::string bitmap = BitmapName(text_, span);
        out_.name(context_.fitName(bitmap));
        if (context_.options.embedTextures) embedTexture(bitmap);
    }

    // The texture file's size and bytes after its name; a material without a bitmap has
    // nothing to embed and gets size 0.
    void embedTexture(const std::string& bitmap)
    {
        if (bitmap.empty()) {
            out_.u32(0);
            return;
        }
        const std::string path = context_.options.texturePrefix + bitmap;
        std::vector<std::uint8_t> bytes;
        std::FILE* file = std::fopen(path.c_str(), "rb");
        bool read = file != nullptr;
        if (file) {
            std::uint8_t chunk[1 << 16];
            std::size_t got = 0;
            while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
                context_.checkSize(bytes.size() + got);
                bytes.insert(bytes.end(), chunk, chunk + got);
            }
            read = std::ferror(file) == 0;
            std::fclose(file);
        }
        if (!read) context_.fail(text::kFatalCaption, FormatText(text::kTextureNotFound, path.c_str()));
        out_.u32(std::uint32_t(bytes.size()));
        out_.raw(bytes.data(), bytes.size());
    }

    SectionContext& context_;
    const AseText& text_;
    scenefile::ByteWriter& out_;
};
}  // namespace

std::uint32_t WriteMaterials(SectionContext& context)
{
    if (!context.layout.hasMaterialList) return 0;
    Cursor cursor(context.text, context.layout.materialList);
    const long long count = cursor.findAtLevel("*MATERIAL_COUNT") ? cursor.integer() : 0;
    context.checkRange(count, 0xFFFF, "the number of", "materials");
    MaterialWriter writer(context);
    for (long long index = 0; index < count; ++index) {
        if (!cursor.findAtLevel("*MATERIAL")) context.fail(FormatText(text::kTooFewMaterials, count, std::size_t(index)));
        writer.write(std::uint32_t(index), context.requireBlock(cursor, "*MATERIAL"));
        context.checkSize(0);
    }
    return std::uint32_t(count);
}

}  // namespace aseimport
