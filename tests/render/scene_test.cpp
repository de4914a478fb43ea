// The renderer draws the scene it is handed, not the program-wide state: a redraw of a scene
// built from a catalogue and a view of its own gives the same picture as the program's redraw of
// the same state, and writes the extent of the selected lines back to that scene's view only.
#include <vector>

#include "render_fixture.h"

namespace quorvanta::test {

TEST_F(RenderTest, SceneOfItsOwnIsDrawnLikeTheProgramsAndKeepsTheProgramsStateAlone) {
    CatalogueImage catalogue;
    catalogue.medium("Scene-A", "gas").medium("Scene-B", "solid");
    catalogue.line("Scene-A", 488.0).line("Scene-B", 694.3).line("Scene-B", 1064.1);
    install(catalogue, {1, 1});
    const TransitionDatabase sceneDatabase = program.database;
    SpectrumView sceneView = SpectrumView::startValues();
    sceneView.scale = Linear;

    // The program holds something else: the default catalogue, another scale, the start-up pass.
    install(CatalogueImage());
    setView(Logarithmic, 575, 450);
    program.passCount = 2;
    const SpectrumView programViewBefore = program.view;

    drawSpectrum({.grid = grid_,
                  .database = sceneDatabase,
                  .view = sceneView,
                  .passCount = 7,
                  .picture = 0,
                  .programName = kProgramName,
                  .version = kVersion,
                  .makersNotice = kMakersNotice},
                 sceneView.viewCentre, sceneView.viewWidth);
    const std::vector<Rgb> fromScene = wholePicture();
    EXPECT_EQ(sceneView.selectedMin, 488.0) << "the scene's view gets the extent of its lines";
    EXPECT_EQ(sceneView.selectedMax, 1064.1);
    EXPECT_EQ(program.view.selectedMin, programViewBefore.selectedMin)
        << "the program's view is not the scene's";
    EXPECT_EQ(program.view.selectedMax, programViewBefore.selectedMax);

    program.database = sceneDatabase;
    program.view = SpectrumView::startValues();
    program.view.scale = Linear;
    program.passCount = 7;
    redraw();
    const std::vector<Rgb> fromProgram = wholePicture();
    ASSERT_EQ(fromScene.size(), fromProgram.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < fromScene.size(); ++i)
        differing += fromScene[i] != fromProgram[i];
    EXPECT_EQ(differing, 0u) << "pixels that differ between the scene's and the program's redraw";
}

}  // namespace quorvanta::test
