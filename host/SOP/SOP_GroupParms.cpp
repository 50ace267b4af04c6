// The group-field helpers of SOP_Node: the point-group menu and the shared
// group-select spare data.
#include <SOP/SOP_Node.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace
{
void buildPointGroupMenu(const OP_Node * /*owner*/, std::vector<PRM_ChoiceItem> & /*items*/)
{
    // Details carry no groups yet, so there is nothing to list.
}
}  // namespace

PRM_ChoiceList SOP_Node::pointGroupMenu(PRM_CHOICELIST_TOGGLE, buildPointGroupMenu);

PRM_SpareData *SOP_Node::getGroupSelectButton(int groupType, const char *groupTypeParm, int inputIndex,
                                              PRM_SpareData *merge, const char *assocGroups)
{
    // One object per distinct set of arguments, kept for the life of the
    // host library: templates built during a plug-in's static
    // initialisation point to it for as long as the plug-in is loaded.
    static std::mutex theMutex;
    static std::map<std::string, std::unique_ptr<PRM_SpareData>> theButtons;

    const std::string key = std::to_string(groupType) + '\n' + (groupTypeParm ? groupTypeParm : "") + '\n' +
                            std::to_string(inputIndex) + '\n' + (assocGroups ? assocGroups : "") + '\n' +
                            std::to_string(reinterpret_cast<uintptr_t>(merge));
    std::lock_guard<std::mutex> lock(theMutex);
    std::unique_ptr<PRM_SpareData> &button = theButtons[key];
    if (!button)
    {
        button = std::make_unique<PRM_SpareData>();
        button->setValue("group_select", "1");
        button->setValue("group_type", std::to_string(groupType).c_str());
        button->setValue("group_input", std::to_string(inputIndex).c_str());
        if (groupTypeParm)
            button->setValue("group_type_parm", groupTypeParm);
        if (assocGroups)
            button->setValue("group_assoc", assocGroups);
        if (merge)
            button->merge(*merge);
    }
    return button.get();
}
