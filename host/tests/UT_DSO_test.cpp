#include <UT/UT_DSO.h>

#include <GU/GU_Detail.h>
#include <OP/OP_Network.h>
#include <OP/OP_OperatorTable.h>
#include <SOP/SOP_Node.h>
#include <SOP/SOP_Source.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{
bool mentions(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }
}  // namespace

TEST(UT_DSO, RefusesAMissingFile)
{
    OP_OperatorTable table;
    std::string err;
    const std::string path = std::string(HOST_TEST_PLUGIN_GOOD) + ".missing";
    EXPECT_EQ(table.loadSopPlugin(path.c_str(), err), nullptr);
    EXPECT_TRUE(mentions(err, "\"" + path + "\"")) << err;
    EXPECT_EQ(table.loadSopPlugin("", err), nullptr);
    EXPECT_FALSE(err.empty());
}

TEST(UT_DSO, RefusesALibraryWithoutAllEntryPoints)
{
    OP_OperatorTable table;
    std::string err;
    EXPECT_EQ(table.loadSopPlugin(HOST_TEST_PLUGIN_NO_REGISTER, err), nullptr);
    EXPECT_TRUE(mentions(err, HOST_TEST_PLUGIN_NO_REGISTER)) << err;
    EXPECT_TRUE(mentions(err, "newSopOperator")) << err;
    EXPECT_FALSE(mentions(err, "HoudiniDSOVersion")) << err;
    EXPECT_EQ(table.entries(), 0);
}

TEST(UT_DSO, RefusesAnotherHostVersion)
{
    OP_OperatorTable table;
    std::string err;
    EXPECT_EQ(table.loadSopPlugin(HOST_TEST_PLUGIN_OLD_VERSION, err), nullptr);
    EXPECT_TRUE(mentions(err, HOST_TEST_PLUGIN_OLD_VERSION)) << err;
    EXPECT_TRUE(mentions(err, "\"15.0\"")) << err;
    EXPECT_TRUE(mentions(err, "\"15.5\"")) << err;
    EXPECT_EQ(table.entries(), 0);
}

TEST(UT_DSO, OpeningReadsTheVersionsAndRegistersNothing)
{
    std::string err;
    std::shared_ptr<UT_DSO> library = UT_DSO::openNodePlugin(HOST_TEST_PLUGIN_GOOD, err);
    ASSERT_NE(library, nullptr) << err;
    EXPECT_EQ(library->getVersion(), "15.5");
    EXPECT_EQ(library->getTagInfo(), "test-plugin-tag");

    // A table that loads the same file afterwards still gets its types.
    OP_OperatorTable table;
    std::shared_ptr<UT_DSO> loaded = table.loadSopPlugin(HOST_TEST_PLUGIN_GOOD, err);
    ASSERT_NE(loaded, nullptr) << err;
    EXPECT_EQ(table.entries(), 1);
    EXPECT_EQ(UT_DSO::openNodePlugin(HOST_TEST_PLUGIN_NO_REGISTER, err), nullptr);
    EXPECT_TRUE(mentions(err, "newSopOperator")) << err;
}

TEST(UT_DSO, LoadsCooksAndUnloadsAfterTheLastNode)
{
    std::weak_ptr<UT_DSO> watch;
    {
        auto table = std::make_unique<OP_OperatorTable>();
        SOP_Source::registerOperator(*table);
        std::string err;
        std::shared_ptr<UT_DSO> library = table->loadSopPlugin(HOST_TEST_PLUGIN_GOOD, err);
        ASSERT_NE(library, nullptr) << err;
        EXPECT_TRUE(err.empty()) << err;
        EXPECT_EQ(library->getVersion(), "15.5");
        EXPECT_EQ(library->getCompilerVersion(), 1234u);
        EXPECT_EQ(library->getTagInfo(), "test-plugin-tag");
        EXPECT_NE(library->findSymbol("newSopOperator"), nullptr);
        EXPECT_EQ(library->findSymbol("notExported"), nullptr);
        ASSERT_NE(table->getOperator("test_add_point"), nullptr);
        EXPECT_EQ(table->getOperator("test_add_point")->getLibrary(), library);

        // Loading it again adds nothing: every type is a duplicate.
        EXPECT_EQ(table->loadSopPlugin(HOST_TEST_PLUGIN_GOOD, err), nullptr);
        EXPECT_TRUE(mentions(err, "registered no node types")) << err;
        EXPECT_TRUE(mentions(err, "\"test_add_point\"")) << err;

        OP_Network net("obj", table.get());
        auto *points = static_cast<SOP_Source *>(net.createNode("source"));
        auto detail = std::make_shared<GU_Detail>();
        detail->appendPointBlock(2);
        points->setDetail(detail);
        auto *node = static_cast<SOP_Node *>(net.createNode("test_add_point", "add"));
        ASSERT_NE(node, nullptr);
        node->setInput(0, points);
        node->setInt("count", 0, 0, 3);

        // Neither the caller's handle nor the table keeps the library loaded
        // once dropped: the node does.
        watch = library;
        library.reset();
        table.reset();
        ASSERT_FALSE(watch.expired());
        OP_Context context;
        EXPECT_EQ(node->cook(context), UT_ERROR_NONE) << node->getErrorMessages();
        EXPECT_EQ(node->getCookedGeo(context)->getNumPoints(), 5);
        EXPECT_TRUE(net.destroyNode(node));
        EXPECT_TRUE(watch.expired());
    }
}
