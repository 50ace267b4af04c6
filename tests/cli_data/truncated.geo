[
	"fileversion","15.5.565",
	"hasindex",false,
	"pointcount",1,
	"vertexcount",0,
