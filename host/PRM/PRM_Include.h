// Everything a node type needs to declare its parameters.
#pragma once

#include <PRM/PRM_ChoiceList.h>
#include <PRM/PRM_Default.h>
#include <PRM/PRM_Name.h>
#include <PRM/PRM_Range.h>
#include <PRM/PRM_Shared.h>
#include <PRM/PRM_SpareData.h>
#include <PRM/PRM_Template.h>
#include <PRM/PRM_Type.h>
