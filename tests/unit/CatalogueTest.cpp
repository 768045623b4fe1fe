#include "catalogue/ModelCatalogue.h"

#include <gtest/gtest.h>

#include <string>

TEST(Catalogue, HoldsTheSevenModelsWithTheirDriverFiles)
{
    struct Row {
        const wchar_t* model;
        const wchar_t* dll;
        const wchar_t* gpd;
    };
    const Row rows[ModelCatalogue::kModelCount] = {
        {L"RK-M5T", L"POS80.DLL", L"POS80C.GPD"}, {L"DV-N8", L"POS80.DLL", L"POS80C.GPD"},
        {L"HS-e07", L"POS80.DLL", L"POS80.GPD"},  {L"TPR-80C", L"POS80.DLL", L"POS80C.GPD"},
        {L"RK-M7", L"POS80.DLL", L"POS80C.GPD"},  {L"HS-e06", L"POS58.DLL", L"POS58.GPD"},
        {L"RK-M6", L"POS80.DLL", L"POS80C.GPD"},
    };
    const ModelCatalogue catalogue;
    for (int row = 0; row < ModelCatalogue::kModelCount; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(catalogue.modelNames[row], rows[row].model);
        EXPECT_EQ(catalogue.dllNames[row], rows[row].dll);
        EXPECT_EQ(catalogue.gpdNames[row], rows[row].gpd);
    }
}

TEST(Catalogue, NamesTheNineEditionsInVersionOrder)
{
    const char* const expected[ModelCatalogue::kEditionCount] = {
        "Windows 2000", "Windows XP", "Windows 2003", "Windows Vista", "Windows 7",
        "Windows 8",    "Windows 8.1", "Windows 10",  "Windows 10.1",
    };
    const ModelCatalogue catalogue;
    for (int i = 0; i < ModelCatalogue::kEditionCount; ++i) {
        ASSERT_NE(catalogue.editionNames[i], nullptr);
        EXPECT_STREQ(catalogue.editionNames[i], expected[i]) << i;
    }
}

TEST(Catalogue, CopiesAreIndependentOfTheModelNames)
{
    ModelCatalogue catalogue;
    catalogue.printerName = catalogue.modelNames[0];
    catalogue.printerName += L" (copy 1)";
    EXPECT_EQ(catalogue.modelNames[0], L"RK-M5T");
}
