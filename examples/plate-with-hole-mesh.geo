// A square plate with a circular hole in its middle, pulled along x: a quarter of it,
// meshed in quadrangles by Gmsh (tavu-mesh plate-with-hole-mesh.geo -o plate.tav).
// The stress at the top of the hole is about three times the pull (Kirsch).
a = 1;        // radius of the hole
w = 10;       // half the width of the plate
fine = 0.06;  // element size at the hole
coarse = 1;   // element size at the outer edges

Point(1) = {a, 0, 0, fine};
Point(2) = {w, 0, 0, coarse};
Point(3) = {w, w, 0, coarse};
Point(4) = {0, w, 0, coarse};
Point(5) = {0, a, 0, fine};
Point(6) = {0, 0, 0, fine};  // centre of the hole

Line(1) = {1, 2};
Line(2) = {2, 3};
Line(3) = {3, 4};
Line(4) = {4, 5};
Circle(5) = {5, 6, 1};
Curve Loop(1) = {1, 2, 3, 4, 5};
Plane Surface(1) = {1};
Recombine Surface{1};

Physical Surface("plate") = {1};
Physical Curve("symmetry-y") = {1};  // y = 0: v held
Physical Curve("pull") = {2};        // x = w: the load
Physical Curve("symmetry-x") = {4};  // x = 0: u held
Physical Curve("hole") = {5};
Physical Point("peak") = {5};        // top of the hole, where the stress is highest
