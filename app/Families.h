#pragma once

#include "shell/FamilyDescriptor.h"

#include <vector>

// The instrument families of the program, in the order of their type codes.
// A family library that brings its own windows provides its descriptor
// function, and the list below calls that one instead. It also gives the
// archive windows the families' read-only settings viewers.
std::vector<CFamilyDescriptor> ProgramFamilies();

// Until the family libraries have windows of their own, each family's
// archives open in the plain archive documents (records and events), and
// its live window is its current archive.
CFamilyDescriptor QorinFamily();
CFamilyDescriptor VKFamily();
CFamilyDescriptor VKRFamily();
CFamilyDescriptor VKTFamily();
CFamilyDescriptor DuskarFamily();
