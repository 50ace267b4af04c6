#include <OP/OP_Parameters.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace
{
// Nearest integer, halves away from zero; NaN gives 0 and values beyond the
// 64-bit range the nearest end (a plain cast would be undefined there).
exint roundToInt(fpreal value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 9223372036854775808.0)
        return std::numeric_limits<exint>::max();
    if (value <= -9223372036854775808.0)
        return std::numeric_limits<exint>::min();
    // Not llround: some C runtimes (MinGW's) compute it as floor(value + 0.5),
    // which rounds 0.49999999999999994 up. The fraction value - trunc(value)
    // is exact, so comparing it with one half is too.
    const fpreal whole = std::trunc(value);
    const fpreal fraction = value - whole;
    if (fraction >= 0.5)
        return exint(whole) + 1;
    if (fraction <= -0.5)
        return exint(whole) - 1;
    return exint(whole);
}

// Shortest "%.*g" text that reads back as the same double.
std::string formatFloat(fpreal value)
{
    char text[32];
    for (int precision = 1; precision <= 17; ++precision)
    {
        std::snprintf(text, sizeof(text), "%.*g", precision, value);
        if (std::strtod(text, nullptr) == value)
            break;
    }
    return text;
}
}  // namespace

std::string OPcomposeMessage(const char *wording, const char *detail)
{
    std::string text = wording ? wording : "";
    if (detail && *detail)
    {
        if (!text.empty())
            text += ": ";
        text += detail;
    }
    return text;
}

OP_Parameters::OP_Parameters(const PRM_Template *templates)
{
    const int count = PRM_Template::countTemplates(templates);
    myParms.resize(size_t(count));
    for (int i = 0; i < count; ++i)
    {
        myParms[size_t(i)].tmpl = &templates[i];
        resetParm(myParms[size_t(i)]);
    }
}

OP_Parameters::~OP_Parameters() = default;

const PRM_Template *OP_Parameters::getParmTemplate(int index) const
{
    return index >= 0 && index < getNumParms() ? myParms[size_t(index)].tmpl : nullptr;
}

int OP_Parameters::findParmIndex(const char *token) const
{
    if (!token)
        return -1;
    for (size_t i = 0; i < myParms.size(); ++i)
    {
        const char *own = myParms[i].tmpl->getToken();
        if (own && std::strcmp(own, token) == 0)
            return int(i);
    }
    return -1;
}

void OP_Parameters::resetParm(Parm &parm)
{
    const PRM_Template &tmpl = *parm.tmpl;
    const int size = tmpl.getVectorSize() > 0 ? tmpl.getVectorSize() : 0;
    parm.ints.clear();
    parm.floats.clear();
    parm.texts.clear();
    for (int c = 0; c < size; ++c)
    {
        switch (tmpl.getType())
        {
        case PRM_INT:
            parm.ints.push_back(roundToInt(tmpl.getDefaultFloat(c)));
            break;
        case PRM_TOGGLE:
            parm.ints.push_back(tmpl.getDefaultFloat(c) != 0 ? 1 : 0);
            break;
        case PRM_FLT:
            parm.floats.push_back(tmpl.getDefaultFloat(c));
            break;
        case PRM_STRING:
            parm.texts.push_back(tmpl.getDefaultString(c));
            break;
        case PRM_LIST_TERMINATOR:
            break;
        }
    }
}

void OP_Parameters::revertToDefaults()
{
    for (size_t i = 0; i < myParms.size(); ++i)
        resetParm(myParms[i]);
    for (size_t i = 0; i < myParms.size(); ++i)
        parmChanged(int(i));
}

const OP_Parameters::Parm *OP_Parameters::findForEval(const char *token, int component) const
{
    const int index = findParmIndex(token);
    if (index < 0)
    {
        opError(OP_ERR_BAD_PARAMETER, (std::string("\"") + (token ? token : "") + "\"").c_str());
        return nullptr;
    }
    const Parm &parm = myParms[size_t(index)];
    if (component < 0 || component >= parm.tmpl->getVectorSize())
    {
        std::string detail = std::string("\"") + token + "\" has no component " + std::to_string(component);
        opError(OP_ERR_BAD_PARAMETER, detail.c_str());
        return nullptr;
    }
    return &parm;
}

exint OP_Parameters::evalInt(const char *token, int component, fpreal /*t*/) const
{
    const Parm *parm = findForEval(token, component);
    if (!parm)
        return 0;
    if (!parm->ints.empty())
        return parm->ints[size_t(component)];
    if (!parm->floats.empty())
        return roundToInt(parm->floats[size_t(component)]);
    opError(OP_ERR_PARAMETER_TYPE, (std::string("\"") + token + "\" is text, read as an integer").c_str());
    return 0;
}

fpreal OP_Parameters::evalFloat(const char *token, int component, fpreal /*t*/) const
{
    const Parm *parm = findForEval(token, component);
    if (!parm)
        return 0;
    if (!parm->floats.empty())
        return parm->floats[size_t(component)];
    if (!parm->ints.empty())
        return fpreal(parm->ints[size_t(component)]);
    opError(OP_ERR_PARAMETER_TYPE, (std::string("\"") + token + "\" is text, read as a float").c_str());
    return 0;
}

void OP_Parameters::evalString(UT_String &value, const char *token, int component, fpreal /*t*/) const
{
    value = "";
    const Parm *parm = findForEval(token, component);
    if (!parm)
        return;
    if (!parm->texts.empty())
        value = parm->texts[size_t(component)];
    else if (!parm->ints.empty())
        value = std::to_string(parm->ints[size_t(component)]);
    else if (!parm->floats.empty())
        value = formatFloat(parm->floats[size_t(component)]);
}

OP_Parameters::Parm *OP_Parameters::findForSet(const char *token, int component)
{
    const int index = findParmIndex(token);
    if (index < 0)
        return nullptr;
    Parm &parm = myParms[size_t(index)];
    if (component < 0 || component >= parm.tmpl->getVectorSize())
        return nullptr;
    return &parm;
}

bool OP_Parameters::setInt(const char *token, int component, fpreal t, exint value)
{
    Parm *parm = findForSet(token, component);
    if (!parm)
        return false;
    const PRM_Range *range = parm->tmpl->getRangePtr();
    if (parm->tmpl->getType() == PRM_TOGGLE)
        parm->ints[size_t(component)] = value != 0 ? 1 : 0;
    else if (!parm->ints.empty())
        parm->ints[size_t(component)] = range ? roundToInt(range->clamp(fpreal(value))) : value;
    else if (!parm->floats.empty())
        parm->floats[size_t(component)] = range ? range->clamp(fpreal(value)) : fpreal(value);
    else
        return false;
    changed(findParmIndex(token), t);
    return true;
}

bool OP_Parameters::setFloat(const char *token, int component, fpreal t, fpreal value)
{
    Parm *parm = findForSet(token, component);
    if (!parm)
        return false;
    const PRM_Range *range = parm->tmpl->getRangePtr();
    if (range)
        value = range->clamp(value);
    if (parm->tmpl->getType() == PRM_TOGGLE)
        parm->ints[size_t(component)] = value != 0 ? 1 : 0;
    else if (!parm->ints.empty())
        parm->ints[size_t(component)] = roundToInt(value);
    else if (!parm->floats.empty())
        parm->floats[size_t(component)] = value;
    else
        return false;
    changed(findParmIndex(token), t);
    return true;
}

bool OP_Parameters::setString(const char *token, int component, fpreal t, const char *value)
{
    Parm *parm = findForSet(token, component);
    if (!parm || parm->texts.empty())
        return false;
    parm->texts[size_t(component)] = value ? value : "";
    changed(findParmIndex(token), t);
    return true;
}

void OP_Parameters::changed(int index, fpreal t)
{
    parmChanged(index);
    const PRM_Template *tmpl = myParms[size_t(index)].tmpl;
    if (PRM_Callback callback = tmpl->getCallback())
        callback(this, index, t, tmpl);
}

void OP_Parameters::parmChanged(int /*index*/) {}

UT_ErrorSeverity OP_Parameters::appendError(const char *type, int code, const std::string &message,
                                            UT_ErrorSeverity severity) const
{
    return myErrors.addGeneric(type, code, message.c_str(), severity);
}

UT_ErrorSeverity OP_Parameters::opError(OP_ErrorCodes code, const char *detail) const
{
    return appendError("OP", code, OPcomposeMessage(OPgetErrorText(code), detail), UT_ERROR_ABORT);
}

UT_ErrorSeverity OP_Parameters::opWarning(OP_ErrorCodes code, const char *detail) const
{
    return appendError("OP", code, OPcomposeMessage(OPgetErrorText(code), detail), UT_ERROR_WARNING);
}

UT_ErrorSeverity OP_Parameters::opMessage(OP_ErrorCodes code, const char *detail) const
{
    return appendError("OP", code, OPcomposeMessage(OPgetErrorText(code), detail), UT_ERROR_MESSAGE);
}
